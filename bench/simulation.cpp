// The simulation engine on generated arithmetic circuits (a 10 × 10 array multiplier and an 11-bit
// ripple-carry adder, as and-inverter graphs), for several "-use-bits" values, with and without
// the cache. Inputs in index order. Each iteration builds the tables and runs every batch; the
// counter gate_patterns/s is the nominal throughput, gates × 2^inputs per second of simulation.

#include <benchmark/benchmark.h>

#include <numeric>

#include "aig.hpp"
#include "simulation/engine.hpp"
#include "util/stream.hpp"

namespace {

void simulate(benchmark::State& state, const aig::graph& graph) {
  const operation::Circuit circuit = graph.circuit();
  std::vector<std::uint32_t> order(circuit.input_count());
  std::iota(order.begin(), order.end(), 0);
  counting::settings config;
  config.use_bits = static_cast<std::uint32_t>(state.range(0));
  config.use_cache = state.range(1) != 0;
  config.print_every = 0;
  double seconds = 0;
  for (auto _ : state) {
    seconds += simulation::run(circuit, order, 0, config, {}, util::null_ostr).time_elapsed;
  }
  const double patterns = static_cast<double>(std::uint64_t{1} << circuit.input_count());
  state.counters["simulation_s"] = seconds / static_cast<double>(state.iterations());
  state.counters["gate_patterns/s"] = benchmark::Counter(circuit.logic_count() * patterns *
                                                         static_cast<double>(state.iterations()) / seconds);
}

void multiplier(benchmark::State& state) { simulate(state, aig::array_multiplier(10)); }
void adder(benchmark::State& state) { simulate(state, aig::ripple_carry_adder(11)); }

void use_bits_and_cache(benchmark::internal::Benchmark* b) {
  for (int cache : {1, 0})
    for (int use_bits : {8, 12, 14, 16, 18, 20}) b->Args({use_bits, cache});
  b->ArgNames({"use_bits", "cache"})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(multiplier)->Apply(use_bits_and_cache);
BENCHMARK(adder)->Apply(use_bits_and_cache);

BENCHMARK_MAIN();
