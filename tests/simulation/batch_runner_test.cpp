#include "simulation/batch_runner.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "../operation/circuit_text.hpp"
#include "reference.hpp"

namespace {

using operation::Circuit;
using operation::cmb_t;
using operation::nid_t;

constexpr std::uint64_t keep_all = ~std::uint64_t{0};

// The inputs in index order, as node positions.
std::vector<std::uint32_t> index_order(const Circuit& circuit) {
  std::vector<std::uint32_t> order(circuit.input_count());
  std::iota(order.begin(), order.end(), circuit.fixed_count());
  return order;
}

// One circuit's plan, inputs in index order; with the cache it keeps up to `kept_budget` tables.
struct plan_parts {
  plan_parts(const Circuit& circuit, const counting::settings& settings, std::uint64_t kept_budget = keep_all)
      : config(settings),
        split(counting::split_inputs(circuit.input_count(), config)),
        order(index_order(circuit)),
        readers(circuit),
        gates(circuit),
        source(config, split),
        kept(config.use_cache ? simulation::kept_tables(circuit, readers,
                                                        std::span(order).first(split.var_bits), kept_budget)
                              : simulation::kept_tables(circuit)),
        plan{circuit, split, config, order, readers, gates, source, kept} {}
  counting::settings config;
  counting::input_split split;
  std::vector<std::uint32_t> order;
  simulation::port_readers readers;
  simulation::gate_sequence gates;
  simulation::batch_source source;
  simulation::kept_tables kept;
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
  // bring every gate (skipped ones included) to the batch before, and leave the totals alone. The
  // same holds when the cache keeps only some tables (the rest are evaluated in every batch).
  std::mt19937 random(31);
  for (int round = 0; round < 12; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 6, 30, round % 2 == 0));
    std::vector<std::uint32_t> order(circuit.input_count());
    std::iota(order.begin(), order.end(), 0);
    const auto expected = reference::brute_force(circuit, order);
    for (int switches = 0; switches < 4; ++switches) {
      counting::settings config;
      config.use_bits = 1;  // 32 batches
      config.use_gray_code = switches & 1;
      config.watch_changes = switches & 2;
      for (const std::uint64_t budget : {keep_all, std::uint64_t{12}, std::uint64_t{0}}) {
        const plan_parts parts(circuit, config, budget);
        const std::string where = "round " + std::to_string(round) + ", switches " +
                                  std::to_string(switches) + ", kept " +
                                  std::to_string(parts.kept.kept_gates());
        const totals in_order = run_copies(circuit, parts, {{{0, 32}}});
        ASSERT_EQ(in_order.counts, expected) << where;
        // Batch 0 goes first to a copy that has run nothing, as the first chunk taken does; the
        // third copy only brings its tables to batch 23 and must add nothing.
        const totals scrambled =
            run_copies(circuit, parts, {{{0, 8}, {20, 32}, {12, 13}}, {{8, 12}, {13, 20}}, {{24, 24}}});
        EXPECT_EQ(scrambled.counts, in_order.counts) << where;
        EXPECT_EQ(scrambled.same_count, in_order.same_count) << where;
      }
    }
  }
}

TEST(BatchRunner, GatesWithoutVarInputsAreCountedInEveryBatchFromTheirFirst) {
  // With many use inputs most gates depend on no var input: the cache evaluates them in a copy's
  // first batch only and drops the tables that no later evaluation reads; the storage they leave
  // must not make a covered gate believe its new values equal old ones.
  std::mt19937 random(17);
  for (int round = 0; round < 10; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 8, 60, round % 2 == 0));
    std::vector<std::uint32_t> order(circuit.input_count());
    std::iota(order.begin(), order.end(), 0);
    const auto expected = reference::brute_force(circuit, order);
    counting::settings config;
    config.use_bits = 4;  // 16 batches
    for (const std::uint64_t budget : {keep_all, std::uint64_t{15}, std::uint64_t{0}}) {
      const plan_parts parts(circuit, config, budget);
      EXPECT_EQ(run_copies(circuit, parts, {{{0, 16}}}).counts, expected)
          << "round " << round << ", budget " << budget;
      EXPECT_EQ(run_copies(circuit, parts, {{{0, 5}, {11, 16}}, {{5, 11}}}).counts, expected)
          << "round " << round << ", budget " << budget;
    }
  }
}

TEST(BatchRunner, AGateThatTakesOverDroppedStorageDoesNotFindItsValuesUnchanged) {
  // g0 depends on no var input and only g1 reads it, so its storage is dropped after g1 and could
  // serve g2, which computes the same values: g2 must still count as changed in its first batch,
  // or g3 would skip its evaluation and count nothing.
  const Circuit circuit = circuit_text::parse(
      {"v = I", "a = I", "b = I", "g0 = AND( a_0 , b_0 )", "g1 = OR( g0_0 , b_0 )", "g2 = AND( a_0 , b_0 )",
       "g3 = XOR( g2_0 , ~g2_0 )", "g4 = AND( v_0 , g3_0 )", "o-0 = O( g1_0 )", "o-1 = O( g4_0 )"});
  std::vector<std::uint32_t> order(circuit.input_count());
  std::iota(order.begin(), order.end(), 0);
  counting::settings config;
  config.use_bits = 2;
  const plan_parts parts(circuit, config);
  EXPECT_EQ(run_copies(circuit, parts, {{{0, 2}}}).counts, reference::brute_force(circuit, order));
}

TEST(BatchRunner, UnchangedTablesWithoutComparisonDoNotDependOnWhichTablesAreKept) {
  // Without comparing values a port is unchanged exactly when the inputs it comes from are, so the
  // count must not depend on which tables the cache keeps; comparing can only find more. Counting
  // order changes var inputs 0 to k at once, Gray-code order one.
  std::mt19937 random(8);
  for (int round = 0; round < 8; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 7, 40, round % 2 == 0));
    counting::settings config;
    config.use_bits = 2;
    config.use_gray_code = round < 4;
    config.watch_changes = false;
    const std::uint64_t all = run_copies(circuit, plan_parts(circuit, config), {{{0, 32}}}).same_count;
    config.watch_changes = true;
    const std::uint64_t compared = run_copies(circuit, plan_parts(circuit, config), {{{0, 32}}}).same_count;
    EXPECT_GE(compared, all) << "round " << round;
    for (const std::uint64_t budget : {std::uint64_t{0}, std::uint64_t{5}, std::uint64_t{20}}) {
      config.watch_changes = false;
      EXPECT_EQ(run_copies(circuit, plan_parts(circuit, config, budget), {{{0, 32}}}).same_count, all)
          << "round " << round << ", budget " << budget;
      config.watch_changes = true;
      const std::uint64_t partial =
          run_copies(circuit, plan_parts(circuit, config, budget), {{{0, 32}}}).same_count;
      EXPECT_GE(partial, all) << "round " << round << ", budget " << budget;
      EXPECT_LE(partial, compared) << "round " << round << ", budget " << budget;
    }
  }
}

TEST(BatchRunner, SampledChunksOnAnyCopyAddUpToTheSampleInOrder) {
  // A sampled batch's values depend on its number alone, so the copies may share them any way.
  std::mt19937 random(5);
  for (int round = 0; round < 6; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 12, 40, round % 2 == 0));
    // Batches of random var inputs with and without the cache, and independent patterns (which
    // run without it).
    using counting::sample_kind;
    for (const auto& [cache, kind] :
         {std::pair{false, sample_kind::batch}, std::pair{true, sample_kind::batch},
          std::pair{false, sample_kind::independent}}) {
      counting::settings config;
      config.use_bits = 2;
      config.use_cache = cache;
      config.sampling = counting::sampling{32, 9, static_cast<std::uint32_t>(round), kind};
      const plan_parts parts(circuit, config);
      const totals in_order = run_copies(circuit, parts, {{{0, 32}}});
      const totals scrambled = run_copies(circuit, parts, {{{0, 3}, {20, 32}}, {{3, 20}}});
      const std::string label = "round " + std::to_string(round) + ", cache " + std::to_string(cache) +
                                ", independent " + std::to_string(kind == sample_kind::independent);
      EXPECT_EQ(scrambled.counts, in_order.counts) << label;
      EXPECT_EQ(scrambled.same_count, in_order.same_count) << label;
    }
  }
}
