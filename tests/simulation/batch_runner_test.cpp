#include "simulation/batch_runner.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "../operation/circuit_text.hpp"
#include "reference.hpp"

namespace {

using operation::Circuit;
using operation::cmb_t;
using operation::nid_t;

// One circuit's plan: inputs in index order, as node positions.
struct plan_parts {
  plan_parts(const Circuit& circuit, const simulation::settings& settings)
      : config(settings),
        split(simulation::split_inputs(circuit.input_count(), config)),
        order(circuit.input_count()),
        readers(circuit),
        source(config, split),
        plan{circuit, split, config, order, readers, source} {
    std::iota(order.begin(), order.end(), circuit.fixed_count());
  }
  simulation::settings config;
  simulation::input_split split;
  std::vector<std::uint32_t> order;
  simulation::port_readers readers;
  simulation::batch_source source;
  simulation::simulation_plan plan;
};

struct totals {
  std::vector<std::vector<cmb_t>> counts;
  std::uint64_t same_count = 0;
};

using chunk_list = std::vector<std::pair<std::uint64_t, std::uint64_t>>;  // (first batch, end)

// Runs the counted batches of each copy's chunks, in order, on that copy, bringing its tables to
// the batch before a chunk first when the copy does not hold it, as the threads do; then adds the
// copies' totals together.
totals run_copies(const Circuit& circuit, const plan_parts& parts, const std::vector<chunk_list>& copies) {
  std::vector<std::unique_ptr<simulation::batch_runner>> runners;
  totals result;
  for (const chunk_list& chunks : copies) {
    auto& runner = *runners.emplace_back(std::make_unique<simulation::batch_runner>(parts.plan));
    runner.allocate();
    runner.build_tables();
    for (const auto& [first, end] : chunks) {
      if (first != 0 && !runner.holds(first - 1)) runner.run(first - 1, false);
      for (std::uint64_t b = first; b < end; ++b) result.same_count += runner.run(b, true).same_count;
    }
    runner.finish_counts();
    if (runners.size() > 1) runner.add_totals_to(*runners.front());
  }
  for (nid_t n = 0; n < circuit.transfer_count(); ++n) {
    const cmb_t* combs = runners.front()->combs()[n];
    result.counts.emplace_back();
    if (combs != nullptr) result.counts.back().assign(combs, combs + (1u << circuit.input_count(n)));
  }
  for (auto& runner : runners) runner->free();
  return result;
}

}  // namespace

TEST(BatchRunner, ChunksInAnyOrderAddUpToTheBatchesInOrder) {
  // Out of order, a chunk finds its tables where another chunk left them: the uncounted batch must
  // bring every gate (skipped ones included) to the batch before, and leave the totals alone.
  std::mt19937 random(31);
  for (int round = 0; round < 12; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 6, 30, round % 2 == 0));
    for (int switches = 0; switches < 4; ++switches) {
      simulation::settings config;
      config.use_bits = 1;  // 32 batches
      config.use_gray_code = switches & 1;
      config.watch_changes = switches & 2;
      const plan_parts parts(circuit, config);
      const totals in_order = run_copies(circuit, parts, {{{0, 32}}});
      std::vector<std::uint32_t> order(circuit.input_count());
      std::iota(order.begin(), order.end(), 0);
      ASSERT_EQ(in_order.counts, reference::brute_force(circuit, order)) << "round " << round;
      // Batch 0 goes first to a copy that has run nothing, as the first chunk taken does; the third
      // copy only brings its tables to batch 23 and must add nothing.
      const totals scrambled =
          run_copies(circuit, parts, {{{0, 8}, {20, 32}, {12, 13}}, {{8, 12}, {13, 20}}, {{24, 24}}});
      EXPECT_EQ(scrambled.counts, in_order.counts) << "round " << round << ", switches " << switches;
      EXPECT_EQ(scrambled.same_count, in_order.same_count) << "round " << round << ", switches " << switches;
    }
  }
}

TEST(BatchRunner, SampledChunksOnAnyCopyAddUpToTheSampleInOrder) {
  // A sampled batch's values depend on its number alone, so the copies may share them any way.
  std::mt19937 random(5);
  for (int round = 0; round < 6; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 12, 40, round % 2 == 0));
    for (const bool cache : {false, true}) {
      simulation::settings config;
      config.use_bits = 2;
      config.use_cache = cache;
      config.sampling = simulation::sampling{32, 9, static_cast<std::uint32_t>(round)};
      const plan_parts parts(circuit, config);
      const totals in_order = run_copies(circuit, parts, {{{0, 32}}});
      const totals scrambled = run_copies(circuit, parts, {{{0, 3}, {20, 32}}, {{3, 20}}});
      EXPECT_EQ(scrambled.counts, in_order.counts) << "round " << round << ", cache " << cache;
      EXPECT_EQ(scrambled.same_count, in_order.same_count) << "round " << round << ", cache " << cache;
    }
  }
}
