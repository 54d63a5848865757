// Reading large netlists: a generated and-inverter-graph netlist of N assignments (two-input ANDs
// with inversions, wires named nNNN, escaped input and output names; about 48 bytes per assignment
// with its wire declaration, like the real netlists) is read with `operation::read`; so is a binary
// AIGER file of N AND gates of the same shape.
// Reports the read rate in bytes per second and the process's peak resident bytes per gate
// (getrusage, so it includes the process's baseline). The reader's progress text is discarded;
// releasing the circuit is not timed. Run one size per process for a clean peak:
//
//   bench_read --benchmark_filter='Verilog/1000000/'
//   bench_read --benchmark_filter='Aiger'

#include "operation/read/read.hpp"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>
#include <string>
#include <string_view>

#include "util/resources.hpp"
#include "util/stream.hpp"

namespace {

constexpr std::uint64_t input_count = 1000;
constexpr std::uint64_t output_count = 1000;
constexpr std::uint64_t names_per_line = 10;

// A well-mixed 64-bit hash of x (splitmix64), the source of every random choice.
std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// A signal's name: inputs are "\\a[s] " (escaped, as synthesis tools write bus bits), the rest "nS".
struct Signal {
  std::uint64_t s;
};
std::ostream& operator<<(std::ostream& out, Signal signal) {
  if (signal.s < input_count) return out << "\\a[" << signal.s << "] ";
  return out << 'n' << signal.s;
}

// An output's name "\\y[o] ".
struct Output {
  std::uint64_t o;
};
std::ostream& operator<<(std::ostream& out, Output output) { return out << "\\y[" << output.o << "] "; }

// Writes a list statement "  KEYWORD first, …;" with `names_per_line` names per line.
template <typename Name>
void write_list(std::ostream& out, const char* keyword, std::uint64_t first, std::uint64_t count) {
  out << "  " << keyword << ' ';
  for (std::uint64_t i = 0; i < count; ++i)
    out << Name{first + i} << (i + 1 == count ? ";\n" : (i + 1) % names_per_line == 0 ? ",\n    " : ", ");
}

// Writes a module of `assigns` assignments: wires first, then one AND per output; every AND reads a
// recent signal and one from anywhere before it, each possibly inverted.
void write_netlist(const std::filesystem::path& path, std::uint64_t assigns) {
  std::ofstream out(path);
  const std::uint64_t wires = assigns - output_count, signals = input_count + wires;
  out << "// generated and-inverter graph\nmodule top ( x, y );\n";
  write_list<Signal>(out, "input", 0, input_count);
  write_list<Output>(out, "output", 0, output_count);
  write_list<Signal>(out, "wire", input_count, wires);
  for (std::uint64_t g = 0; g < assigns; ++g) {
    const std::uint64_t before = std::min(input_count + g, signals), hash = mix(g);
    const Signal near{before - 1 - hash % std::min<std::uint64_t>(before, 1000)};
    const Signal far{(hash >> 20) % before};
    out << "  assign ";
    if (g < wires)
      out << Signal{input_count + g};
    else
      out << Output{g - wires};
    out << " = " << ((hash >> 60) & 1 ? "~" : "") << near << " & " << ((hash >> 61) & 1 ? "~" : "") << far
        << ";\n";
  }
  out << "endmodule\n";
}

// Writes a binary AIGER file of `ands` AND gates over `input_count` inputs with `output_count`
// outputs, each gate reading a recent signal and one from anywhere before it, possibly inverted.
void write_aiger(const std::filesystem::path& path, std::uint64_t ands) {
  std::ofstream out(path, std::ios::binary);
  const std::uint64_t variables = input_count + ands;
  out << "aig " << variables << ' ' << input_count << " 0 " << output_count << ' ' << ands << '\n';
  for (std::uint64_t o = 0; o < output_count; ++o) out << 2 * (variables - o) + (mix(o) & 1) << '\n';
  const auto put = [&](std::uint64_t delta) {
    for (; delta >= 0x80; delta >>= 7) out.put(static_cast<char>(0x80 | (delta & 0x7F)));
    out.put(static_cast<char>(delta));
  };
  for (std::uint64_t g = 0; g < ands; ++g) {
    const std::uint64_t lhs = 2 * (input_count + g + 1), before = input_count + g, hash = mix(g);
    const std::uint64_t near =
        2 * (before - hash % std::min<std::uint64_t>(before, 1000)) + ((hash >> 60) & 1);
    const std::uint64_t far = 2 * (1 + (hash >> 20) % before) + ((hash >> 61) & 1);
    put(lhs - std::max(near, far));
    put(std::max(near, far) - std::min(near, far));
  }
  for (std::uint64_t i = 0; i < input_count; ++i) out << 'i' << i << " a[" << i << "]\n";
  out << "c\ngenerated and-inverter graph\n";
}

// Reads the netlist `path` of `gates` gates in every iteration, then removes it; reports the bytes
// read per second, the file's size and the peak resident bytes per gate.
void time_reading(benchmark::State& state, const std::filesystem::path& path, std::uint64_t gates) {
  for (auto _ : state) {
    operation::Circuit circuit = operation::read(path, {}, util::null_ostr);
    state.PauseTiming();  // releasing the circuit is not part of reading it
    circuit.free();
    state.ResumeTiming();
  }
  const auto file_bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * file_bytes);
  state.counters["file_MB"] = static_cast<double>(file_bytes) / 1e6;
  state.counters["peak_B_per_gate"] = static_cast<double>(util::rss::peak()) / static_cast<double>(gates);
}

// The path of a scratch netlist of this process with the extension `extension`.
std::filesystem::path scratch_netlist(std::string_view extension) {
  return std::filesystem::temp_directory_path() /
         ("bench_read_" + std::to_string(getpid()) + std::string(extension));
}

void BM_ReadAiger(benchmark::State& state) {
  const auto ands = static_cast<std::uint64_t>(state.range(0));
  const std::filesystem::path path = scratch_netlist(".aig");
  write_aiger(path, ands);
  time_reading(state, path, ands);
}

void BM_ReadVerilog(benchmark::State& state) {
  const auto assigns = static_cast<std::uint64_t>(state.range(0));
  const std::filesystem::path path = scratch_netlist(".v");
  write_netlist(path, assigns);
  time_reading(state, path, assigns);
}

}  // namespace

BENCHMARK(BM_ReadVerilog)
    ->Arg(1000000)
    ->Arg(100000)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ReadAiger)->Arg(1000000)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
