#!/usr/bin/env bash
# Throughput of fullsim's simulation on sin.v and on generated arithmetic circuits (a 10 × 10
# array multiplier, 20 inputs, and an 11-bit ripple-carry adder, 22 inputs), for several
# "-use-bits" values, with and without the cache. For each run it reports the simulation seconds
# ("-save-time", the best of REPEAT runs), the nominal throughput gates × 2^inputs / seconds
# (gate-patterns per second) and the peak resident memory ("-save-memory").
#
# usage: bench/fullsim.sh [SIN_V]        (default: ../shared/circuits/sin.v from the repository root)
# environment: BUILD (build directory, default build/release, built in Release when missing),
#              REPEAT (default 3), USE_BITS (default "12 14 16 18 20"), THREADS (OMP_NUM_THREADS)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sin=${1:-$root/../shared/circuits/sin.v}
build=${BUILD:-$root/build/release}
repeat=${REPEAT:-3}
use_bits=${USE_BITS:-12 14 16 18 20}
[ -n "${THREADS:-}" ] && export OMP_NUM_THREADS=$THREADS

if [ ! -x "$build/fullsim" ] || [ ! -x "$build/bench/bench_arith_verilog" ]; then
  "$root/scripts/build" "$build" -DCMAKE_BUILD_TYPE=Release -DINFOLOSS_TESTS=OFF
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/bench_arith_verilog" multiplier 10 > "$work/mul10.v"
"$build/bench/bench_arith_verilog" adder 11 > "$work/add11.v"

echo "cores: $(nproc), threads: ${OMP_NUM_THREADS:-default}"
printf '%-8s %8s %6s %12s %16s %12s\n' circuit use-bits cache seconds gate-patterns/s peak-memory
for circuit in "$sin" "$work/mul10.v" "$work/add11.v"; do
  [ -f "$circuit" ] || { echo "missing $circuit" >&2; continue; }
  name=$(basename "$circuit" .v)
  for bits in $use_bits; do
    for cache in on off; do
      flags=(-use-bits "$bits" -print-every 0 -save-time "$work/time" -save-memory "$work/memory"
             -o "$work/counts.csv")
      [ "$cache" = off ] && flags+=(-no-cache)
      best= memory=
      for _ in $(seq "$repeat"); do
        "$build/fullsim" "$circuit" "${flags[@]}" > "$work/stdout"
        seconds=$(cat "$work/time")
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
          best=$seconds
          memory=$(cat "$work/memory")
        fi
      done
      gates=$(sed -n 's/^gates = //p' "$work/stdout")
      inputs=$(sed -n 's/^inputs = //p' "$work/stdout")
      awk -v n="$name" -v u="$bits" -v c="$cache" -v s="$best" -v g="$gates" -v i="$inputs" -v m="$memory" \
        'BEGIN { printf "%-8s %8d %6s %12.4f %16.3e %9.1f MiB\n", n, u, c, s, g * 2 ^ i / s, m / 2 ^ 20 }'
    done
  done
done
