// Sorting and cleaning large circuits: a random layered circuit of N gates whose logic section is
// stored in a scrambled (non-topological) order is sorted as the programs do (fan-out lists,
// breadth-first order, rebuild) and then stripped of its wires. Each phase's seconds are reported
// as counters, with the circuit's resident bytes per node and the process's peak resident bytes per
// node (getrusage). Run one size per process for a clean peak:
//
//   bench_circuit --benchmark_filter='/1000000/' ; bench_circuit --benchmark_filter='/10000000/'

#include "operation/circuit.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "util/resources.hpp"

namespace {

using namespace operation;

constexpr nid_t width = 1000;  // nodes per layer; also the number of inputs

// A well-mixed 64-bit hash of x (splitmix64), the source of every random choice.
std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// a⁻¹ mod n for a coprime to n.
std::uint64_t inverse(std::uint64_t a, std::uint64_t n) {
  std::int64_t t = 0, new_t = 1, r = static_cast<std::int64_t>(n), new_r = static_cast<std::int64_t>(a % n);
  while (new_r != 0) {
    const std::int64_t q = r / new_r;
    t = std::exchange(new_t, t - q * new_t);
    r = std::exchange(new_r, r - q * new_r);
  }
  return static_cast<std::uint64_t>(t < 0 ? t + static_cast<std::int64_t>(n) : t);
}

// Gate t of a layered circuit of `gates` gates: layer t / width + 1 reads layer t / width (layer 0 is
// the inputs). A fifth are wires (half of them inverting), the rest AND, OR, XOR and MAJ.
Gate gate_of(std::uint64_t t) {
  const std::uint64_t pick = mix(t) % 10;
  if (pick < 2) return gates::WIRE;
  if (pick < 4) return gates::AND;
  if (pick < 6) return gates::OR;
  if (pick < 8) return gates::XOR;
  return gates::MAJ;
}

// The circuit with gate t stored at logic position t·a mod gates (a scrambled order), built the way
// a reader builds one: nodes in section order, then arcs and fan-out counts. No large temporaries.
Circuit layered(nid_t gates) {
  const std::uint64_t a = 1000003 % gates, a_inverse = inverse(a, gates);
  const auto position = [&](std::uint64_t t) { return static_cast<nid_t>(width + t * a % gates); };
  const nid_t last_layer = (gates - 1) / width;
  const nid_t outputs = gates - last_layer * width;
  Circuit circuit(siz_t{width} + gates + outputs);
  for (nid_t i = 0; i < width; ++i) circuit.emplace_node("i" + std::to_string(i), gates::I);
  for (std::uint64_t p = 0; p < gates; ++p) {
    const std::uint64_t t = p * a_inverse % gates;
    circuit.emplace_node("g" + std::to_string(t), gate_of(t));
  }
  for (nid_t o = 0; o < outputs; ++o) circuit.emplace_node("o-" + std::to_string(o), gates::O);
  const auto connect = [&](nid_t reader, pos_t port, nid_t source, bool inverted) {
    circuit[reader].set_input(port, source, 0, inverted);
    circuit[source].add_fanout(1);
  };
  for (std::uint64_t t = 0; t < gates; ++t) {
    const std::uint64_t layer = t / width, hash = mix(t + gates);
    const nid_t reader = position(t);
    for (pos_t port = 0; port < circuit[reader].input_count(); ++port) {
      const auto slot = static_cast<nid_t>(mix(hash + port) % width);
      const nid_t source = layer == 0 ? slot : position((layer - 1) * width + slot);
      connect(reader, port, source, (hash >> (8 + port)) & 1);
    }
  }
  for (nid_t o = 0; o < outputs; ++o) connect(width + gates + o, 0, position(last_layer * width + o), false);
  return circuit;
}

double seconds_since(std::chrono::steady_clock::time_point& start) {
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - start).count();
  start = now;
  return seconds;
}

// One iteration per run (repeat with --benchmark_repetitions); the phase counters are its seconds.
void BM_SortAndRemoveWires(benchmark::State& state) {
  const auto gates = static_cast<nid_t>(state.range(0));
  for (auto _ : state) {
    const std::uint64_t before = util::rss::current();
    Circuit circuit = layered(gates);
    const auto nodes = static_cast<double>(circuit.size());
    const auto per_node = [&](std::uint64_t bytes) { return static_cast<double>(bytes) / nodes; };
    state.counters["circuit_B_per_node"] = per_node(util::rss::current() - before);
    const auto start = std::chrono::steady_clock::now();
    auto clock = start;
    circuit.build_fanout_lists();
    state.counters["fanout_lists_s"] = seconds_since(clock);
    const std::vector<nid_t> order = circuit.topology_bfs();
    state.counters["bfs_s"] = seconds_since(clock);
    circuit.free_fanout_lists();
    circuit.reorder(order);
    state.counters["reorder_s"] = seconds_since(clock);
    circuit.remove_wires();
    state.counters["remove_wires_s"] = seconds_since(clock);
    state.SetIterationTime(std::chrono::duration<double>(clock - start).count());
    state.counters["peak_B_per_node"] = per_node(util::rss::peak());
    if (!circuit.sorted()) state.SkipWithError("the circuit did not come out sorted");
  }
}

}  // namespace

BENCHMARK(BM_SortAndRemoveWires)
    ->Arg(1000000)
    ->Arg(10000000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
