#include "reach.hpp"

#include <benchmark/benchmark.h>

namespace {

using nid_t = Reach::nid_t;

// A matrix whose first `inputs` rows each reach their own input, the rest filled as a fan-in-2 circuit
// would fill them: every row the union of two earlier rows.
Reach filled(nid_t inputs, nid_t nodes) {
  Reach reach(inputs, nodes);
  for (nid_t i = 0; i < inputs; ++i) reach.set(i, i);
  for (nid_t n = inputs; n < nodes; ++n) reach.make_union(n, n / 2, n - n / 3 - 1);
  return reach;
}

// Filling one row per node from two earlier rows.
void BM_ReachUnionRows(benchmark::State& state) {
  const auto inputs = static_cast<nid_t>(state.range(0));
  const auto nodes = static_cast<nid_t>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(filled(inputs, nodes).count(nodes - 1));
  state.SetItemsProcessed(state.iterations() * nodes);
}
BENCHMARK(BM_ReachUnionRows)->Args({256, 1 << 20})->Args({1024, 1 << 18})->Unit(benchmark::kMillisecond);

// Matrix shapes (inputs, nodes) of the column counts.
void count_shapes(benchmark::internal::Benchmark* bench) {
  bench->Args({64, 1 << 20})->Args({256, 1 << 20})->Args({1024, 1 << 18})->Unit(benchmark::kMillisecond);
}

// How many nodes each input feeds, counted column by column in parallel.
void BM_ReachCountColumns(benchmark::State& state) {
  const auto inputs = static_cast<nid_t>(state.range(0));
  const auto nodes = static_cast<nid_t>(state.range(1));
  const Reach reach = filled(inputs, nodes);
  for (auto _ : state) {
    nid_t total = 0;
#pragma omp parallel for schedule(dynamic) reduction(+ : total)
    for (nid_t col = 0; col < inputs; ++col) total += reach.count_col(col, 0);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * nodes * inputs);
}
BENCHMARK(BM_ReachCountColumns)->Apply(count_shapes);

// The same counts in one pass over the rows.
void BM_ReachCountColumnsOnePass(benchmark::State& state) {
  const auto inputs = static_cast<nid_t>(state.range(0));
  const auto nodes = static_cast<nid_t>(state.range(1));
  const Reach reach = filled(inputs, nodes);
  for (auto _ : state) benchmark::DoNotOptimize(reach.count_cols(0));
  state.SetItemsProcessed(state.iterations() * nodes * inputs);
}
BENCHMARK(BM_ReachCountColumnsOnePass)->Apply(count_shapes);

}  // namespace

BENCHMARK_MAIN();
