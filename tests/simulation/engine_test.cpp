#include "simulation/engine.hpp"

#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <regex>
#include <sstream>

#include "../operation/circuit_text.hpp"
#include "counting/split_errors.hpp"
#include "reference.hpp"
#include "simulation/batch_source.hpp"
#include "simulation/table_memory.hpp"

namespace {

using counting::settings;
using operation::Circuit;
using operation::cmb_t;
using operation::nid_t;

std::vector<std::uint32_t> identity_order(const Circuit& circuit) {
  std::vector<std::uint32_t> order(circuit.input_count());
  std::iota(order.begin(), order.end(), 0);
  return order;
}

struct run_result {
  std::vector<std::vector<cmb_t>> counts;  // as the reference gives them
  counting::outcome outcome;
  std::string console;
};

run_result run(const Circuit& circuit, const std::vector<std::uint32_t>& order, const settings& config) {
  std::ostringstream console;
  run_result result;
  result.outcome = simulation::run(circuit, order, circuit.get_ranks().size() - 3, config, {}, console,
                                   [&](const simulation::engine& engine) {
                                     for (nid_t n = 0; n < circuit.transfer_count(); ++n) {
                                       const cmb_t* combs = engine.combs(n);
                                       auto& counts = result.counts.emplace_back();
                                       if (combs != nullptr)
                                         counts.assign(combs, combs + (1u << circuit.input_count(n)));
                                     }
                                   });
  result.console = console.str();
  return result;
}

// The console text with the measured values masked, as users' scripts compare it.
std::string masked(const std::string& text) {
  static const std::regex seconds(R"((time = |ETA = )-?[0-9.]+s)"), bytes(R"((memory = )[0-9.]+ [A-Za-z]*B)");
  return std::regex_replace(std::regex_replace(text, seconds, "$1Xs"), bytes, "$1XB");
}

// Every way of running a circuit that must give the same counts.
std::vector<settings> equivalent_settings() {
  std::vector<settings> all;
  for (const std::optional<std::uint32_t> use_bits :
       {std::optional<std::uint32_t>(), std::optional(0u), std::optional(1u), std::optional(3u)})
    for (int switches = 0; switches < 8; ++switches) {
      settings config;
      config.use_bits = use_bits;
      config.use_cache = switches & 1;
      config.use_gray_code = switches & 2;
      config.watch_changes = switches & 4;
      config.print_every = 0;
      all.push_back(config);
    }
  return all;
}

}  // namespace

TEST(Engine, CountsMatchPatternByPatternEvaluation) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    const Circuit circuit = circuit_text::parse(
        reference::random_circuit(random, random() % 10, 1 + random() % 30, round % 2 == 0));
    std::vector<std::uint32_t> order = identity_order(circuit);
    std::shuffle(order.begin(), order.end(), random);
    const auto expected = reference::brute_force(circuit, order);
    for (const settings& config : equivalent_settings()) {
      const run_result result = run(circuit, order, config);
      ASSERT_EQ(result.counts, expected)
          << "round " << round << ", use bits " << config.use_bits.value_or(99) << ", cache "
          << config.use_cache << ", gray " << config.use_gray_code << ", watch " << config.watch_changes;
      EXPECT_EQ(result.outcome.status(), "done");
      if (!config.use_cache) {
        EXPECT_EQ(result.outcome.same_count, 0u);
      }
    }
  }
}

TEST(Engine, WorkersCoverTheirSharesAndSumToTheWholeRun) {
  std::mt19937 random(5);
  for (int round = 0; round < 10; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 3 + round % 4, 25, true));
    const auto order = identity_order(circuit);
    const auto whole = reference::brute_force(circuit, order);
    for (std::uint32_t sel_bits : {1u, 2u, 3u}) {
      auto sum = whole;
      for (auto& row : sum) std::fill(row.begin(), row.end(), 0);
      for (std::uint64_t worker = 0; worker < (1u << sel_bits); ++worker) {
        settings config;
        config.sel_bits = sel_bits;
        config.worker = worker;
        config.use_bits = round % 3;
        config.print_every = 0;
        const run_result result = run(circuit, order, config);
        ASSERT_EQ(result.counts, reference::brute_force(circuit, order, sel_bits, worker));
        for (std::size_t n = 0; n < sum.size(); ++n)
          for (std::size_t i = 0; i < sum[n].size(); ++i) sum[n][i] += result.counts[n][i];
      }
      EXPECT_EQ(sum, whole) << "round " << round << ", sel bits " << sel_bits;
    }
  }
}

TEST(Engine, ThreadsSharingTheBatchesFindWhatOneThreadFinds) {
  // Enough batches for chunks of several batches each, so that a thread also resumes after a gap
  // (bringing its tables there first) and waits for its turn to commit.
  std::mt19937 random(23);
  const int threads = omp_get_max_threads();
  for (int round = 0; round < 6; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 9, 40, round % 2 == 0));
    std::vector<std::uint32_t> order = identity_order(circuit);
    std::shuffle(order.begin(), order.end(), random);
    for (int switches = 0; switches < 8; ++switches) {
      settings config;
      config.use_bits = round % 3;
      config.use_cache = switches & 1;
      config.use_gray_code = switches & 2;
      config.watch_changes = switches & 4;
      config.print_every = 1 + round;
      config.sel_bits = round % 2;
      config.worker = round % 2;
      omp_set_num_threads(1);
      const run_result alone = run(circuit, order, config);
      for (const int team : {2, 3, 5}) {
        omp_set_num_threads(team);
        const run_result shared = run(circuit, order, config);
        const auto where = testing::Message()
                           << "round " << round << ", switches " << switches << ", " << team;
        ASSERT_EQ(shared.counts, alone.counts) << where;
        EXPECT_EQ(shared.outcome.same_count, alone.outcome.same_count) << where;
        EXPECT_EQ(shared.outcome.batch_iter, alone.outcome.batch_iter) << where;
        EXPECT_EQ(shared.outcome.gate_iter, alone.outcome.gate_iter) << where;
        EXPECT_EQ(masked(shared.console), masked(alone.console)) << where;
      }
    }
  }
  omp_set_num_threads(threads);
}

TEST(Engine, SelBitsPastTheInputCountLeaveOnePattern) {
  const Circuit circuit = circuit_text::parse({"a = I", "b = I", "g = AND( a_0 , ~b_0 )", "o-0 = O( g_0 )"});
  settings config;
  config.sel_bits = 5;
  config.worker = 2;  // a = 0, b = 1
  config.print_every = 0;
  const run_result result = run(circuit, {1, 0}, config);
  EXPECT_EQ(result.counts[2], (std::vector<cmb_t>{0, 0, 0, 1}));  // g sees a = 1 and ~b = 1
  EXPECT_EQ(result.outcome.max_batch, 1u);
}

TEST(Engine, CircuitWithoutInputsHasOnePattern) {
  const Circuit circuit =
      circuit_text::parse({"0 = 0", "g = OR( 0_0 , ~0_0 )", "h = MAJ( 0_0 , g_0 , ~g_0 )"});
  const run_result result = run(circuit, {}, settings{});
  EXPECT_EQ(result.counts[1], (std::vector<cmb_t>{0, 1, 0, 0}));
  EXPECT_EQ(result.counts[2], (std::vector<cmb_t>{0, 0, 1, 0, 0, 0, 0, 0}));
}

TEST(Engine, ReversibleGatesAreSimulatedWithoutCounters) {
  const Circuit circuit = circuit_text::parse({"a = I", "b = I", "r = REC2.AND( a_0 , b_0 )", "w = ( ~r_1 )",
                                               "s = REC2.OR( w_0 , r_2 )", "g = AND( s_1 , a_0 )"});
  const run_result result = run(circuit, identity_order(circuit), settings{});
  EXPECT_TRUE(result.counts[2].empty());
  EXPECT_TRUE(result.counts[3].empty());
  EXPECT_TRUE(result.counts[4].empty());
  // s_1 = ~(a & b) | b is always 1.
  EXPECT_EQ(result.counts[5], (std::vector<cmb_t>{0, 0, 2, 2}));
}

TEST(Engine, UnchangedTablesAreCountedPerBatch) {
  // Var inputs a then b (no use bits): (a, b) = 00, 10, 11, 01 in Gray order.
  const Circuit circuit =
      circuit_text::parse({"a = I", "b = I", "g = AND( a_0 , a_0 )", "h = OR( b_0 , g_0 )"});
  settings config;
  config.use_bits = 0;
  config.print_every = 0;
  // Batch 1: b. Batch 2: a, g (skipped), h (recomputed, still 1). Batch 3: b, h (recomputed, still 1).
  EXPECT_EQ(run(circuit, {0, 1}, config).outcome.same_count, 1u + 3u + 2u);
  config.watch_changes = false;  // recomputed tables never count as unchanged
  EXPECT_EQ(run(circuit, {0, 1}, config).outcome.same_count, 1u + 2u + 1u);
}

TEST(Engine, PrintsSummaryGroupsProgressAndClosingLine) {
  const Circuit circuit =
      circuit_text::parse({"0 = 0", "a = I", "b = I", "c = I", "d = I", "g = AND( a_0 , b_0 )",
                           "h = XOR( g_0 , c_0 )", "k = OR( h_0 , d_0 )", "o-0 = O( k_0 )"});
  settings config;
  config.use_bits = 2;
  config.sel_bits = 1;
  config.worker = 1;
  config.print_every = 1;
  const run_result result = run(circuit, {3, 1, 0, 2}, config);
  EXPECT_EQ(masked(result.console),
            "building structures\n\n"
            "inputs = 4\noutputs = 1\ngates = 3\nlevels = 3\ncache = enabled\n\n"
            "var bits (1) : d \n"
            "use bits (2) : b a \n"
            "sel bits (1) : c = 1 \n\n"
            "building structures: time = Xs\n\n"
            "building bitsets\nbuilding bitsets: time = Xs\n\n"
            "simulation\n"
            "\r\x1b[K1 / 2: same = 0, memory = XB, time = Xs, ETA = Xs"
            "\r\x1b[K2 / 2: same = 6, memory = XB, time = Xs, ETA = Xs\n"
            "simulation: same = 6, memory = XB, time = Xs, status = done\n\n"
            "freeing memory\nfreeing memory: time = Xs\n");
}

TEST(Engine, ProgressLinesOnlyWhenDue) {
  std::vector<std::string> lines = {"a = I", "b = I", "c = I", "d = I", "e = I", "g = AND( a_0 , e_0 )"};
  const Circuit circuit = circuit_text::parse(lines);
  settings config;
  config.use_bits = 0;
  config.print_every = 10;  // 32 batches: 1, 10, 20, 22 (22 + 10 >= 32) to 32
  std::string console = run(circuit, identity_order(circuit), config).console;
  std::vector<std::string> shown;
  for (auto at = console.find("\x1b[K"); at != std::string::npos; at = console.find("\x1b[K", at + 1))
    shown.push_back(console.substr(at + 3, console.find(" / ", at) - at - 3));
  EXPECT_EQ(shown, (std::vector<std::string>{"1", "10", "20", "22", "23", "24", "25", "26", "27", "28", "29",
                                             "30", "31", "32"}));
}

TEST(Engine, TimeLimitStopsAfterTheCurrentGate) {
  const Circuit circuit =
      circuit_text::parse({"a = I", "b = I", "g = AND( a_0 , b_0 )", "h = OR( a_0 , g_0 )"});
  settings config;
  config.time_limit = 0;
  config.time_predict = true;
  const run_result result = run(circuit, identity_order(circuit), config);
  EXPECT_TRUE(result.outcome.out_of_time);
  EXPECT_EQ(result.outcome.batch_iter, 0u);
  EXPECT_EQ(result.outcome.gate_iter, 0u);
  EXPECT_EQ(result.counts[2], (std::vector<cmb_t>{1, 1, 1, 1}));
  EXPECT_EQ(result.counts[3], (std::vector<cmb_t>{0, 0, 0, 0}));
  EXPECT_NE(masked(result.console)
                .find("simulation\n\nsimulation: same = 0, memory = XB, time = Xs, "
                      "status = out-of-time\n\n"),
            std::string::npos);
}

TEST(Engine, RefusesWorkersPastTheLastShareAndCountsPast64Bits) {
  const Circuit circuit = circuit_text::parse({"a = I", "b = I", "g = AND( a_0 , b_0 )"});
  settings config;
  config.sel_bits = 1;
  config.worker = 2;
  EXPECT_THROW(run(circuit, {0, 1}, config), counting::worker_out_of_range);
  try {
    config.sel_bits = 7;
    config.worker = 4;
    counting::split_inputs(2, config);
    FAIL();
  } catch (const util::usage_error& error) {
    EXPECT_STREQ(error.what(),
                 "Worker 4 does not exist: 2 sel bits make 4 workers, numbered 0 to 3. ('-sel-bits' 7 is "
                 "capped at the circuit's input count.)");
  }
  config.sel_bits = 0;
  config.worker = 1;
  EXPECT_THROW(counting::split_inputs(2, config), counting::worker_out_of_range);

  config.worker = 0;
  try {
    counting::split_inputs(70, config);
    FAIL();
  } catch (const util::usage_error& error) {
    EXPECT_STREQ(
        error.what(),
        "The run would have 70 use bits and 0 var bits; each must stay below 64 for the pattern counts "
        "to fit in 64 bits. Split the run among workers with '-sel-bits' 7 or more.");
  }
  config.use_bits = 10;
  config.sel_bits = 3;
  EXPECT_THROW(counting::split_inputs(80, config), counting::too_many_bits);  // 67 var bits
  config.sel_bits = 7;
  EXPECT_EQ(counting::split_inputs(80, config).var_bits, 63u);
}

TEST(Engine, SampledCountsAreThoseOfTheDrawnAssignments) {
  // Each batch counts the use inputs' every value with the var inputs at the drawn values, which
  // is what the reference gives with the var inputs held like sel inputs at those values.
  std::mt19937 random(7);
  for (int round = 0; round < 6; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 8, 40, round % 2 == 0));
    settings config;
    config.use_bits = 3;
    config.print_every = 0;
    config.sampling = counting::sampling{20, 100u + round, 2, counting::sample_kind::batch};
    const run_result result = run(circuit, identity_order(circuit), config);
    EXPECT_EQ(result.outcome.batch_iter, 20u);
    const simulation::batch_source source(config, counting::split_inputs(8, config));
    std::vector<std::uint32_t> var_last{5, 6, 7, 0, 1, 2, 3, 4};  // use inputs 5 to 7, then var 0 to 4
    std::vector<std::vector<cmb_t>> expected = reference::brute_force(circuit, var_last, 5, 0);
    for (auto& counts : expected) std::fill(counts.begin(), counts.end(), 0);
    for (std::uint64_t batch = 0; batch < 20; ++batch) {
      std::uint64_t values = 0;
      source.var_values(batch, {&values, 1});
      const auto counts = reference::brute_force(circuit, var_last, 5, values);
      for (std::size_t n = 0; n < counts.size(); ++n)
        for (std::size_t i = 0; i < counts[n].size(); ++i) expected[n][i] += counts[n][i];
    }
    EXPECT_EQ(result.counts, expected) << "round " << round;
  }
}

TEST(Engine, IndependentPatternsCountTheDrawnTablesInAnyInputOrder) {
  // Pattern j of a batch sets every input to bit j of its drawn table: the reference counts that
  // one assignment, all inputs held like sel inputs.
  std::mt19937 random(11);
  for (int round = 0; round < 4; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 8, 40, round % 2 == 0));
    settings config;
    config.use_bits = round == 3 ? 7 : 3;  // 2^7 bits: a table of two words, one block
    config.print_every = 0;
    config.sampling = counting::sampling{12, 40u + round, 1};
    const run_result result = run(circuit, identity_order(circuit), config);
    const simulation::batch_source source(config, counting::split_inputs(8, config));
    ASSERT_TRUE(source.independent());
    std::vector<std::vector<cmb_t>> expected = reference::brute_force(circuit, identity_order(circuit), 8, 0);
    for (auto& counts : expected) std::fill(counts.begin(), counts.end(), 0);
    for (std::uint64_t batch = 0; batch < 12; ++batch) {
      std::vector<std::vector<std::uint64_t>> tables(8, std::vector<std::uint64_t>(source.table_words()));
      for (std::uint32_t input = 0; input < 8; ++input) source.input_words(batch, input, tables[input]);
      for (std::uint64_t j = 0; j < (std::uint64_t{1} << *config.use_bits); ++j) {
        std::uint64_t assignment = 0;
        for (std::uint32_t input = 0; input < 8; ++input)
          assignment |= (tables[input][j / 64] >> (j % 64) & 1) << input;
        const auto counts = reference::brute_force(circuit, identity_order(circuit), 8, assignment);
        for (std::size_t n = 0; n < counts.size(); ++n)
          for (std::size_t i = 0; i < counts[n].size(); ++i) expected[n][i] += counts[n][i];
      }
    }
    EXPECT_EQ(result.counts, expected) << "round " << round;
    std::vector<std::uint32_t> reversed = identity_order(circuit);
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(run(circuit, reversed, config).counts, expected)
        << "round " << round << ": another input order";
  }
}

TEST(Engine, SamplesOfManyVarInputsAndAStoppedSample) {
  std::vector<std::string> lines;
  for (int k = 0; k < 100; ++k) lines.push_back("i" + std::to_string(k) + " = I");
  lines.push_back("g = AND( i0_0 , i99_0 )");
  lines.push_back("h = XOR( g_0 , i50_0 )");
  const Circuit circuit = circuit_text::parse(lines);
  settings config;
  config.use_bits = 1;  // 99 var inputs
  config.print_every = 0;
  config.sampling = counting::sampling{500, 0, 0, counting::sample_kind::batch};
  const run_result result = run(circuit, identity_order(circuit), config);
  // i99 is the use input; g sees (i0, i99) with i0 drawn: half of the 1000 patterns each way.
  EXPECT_EQ(result.counts[100][0] + result.counts[100][2], 500u);
  EXPECT_EQ(result.counts[100][0], result.counts[100][1]);
  EXPECT_NEAR(double(result.counts[100][0]), 250, 50);
  EXPECT_EQ(result.counts[101][0] + result.counts[101][1] + result.counts[101][2] + result.counts[101][3],
            1000u);
  EXPECT_NE(result.console.find("samples = 500 of 2^1 patterns, seed = 0, replicate = 0\n"),
            std::string::npos);
  config.sampling->kind = counting::sample_kind::independent;
  const run_result independent = run(circuit, identity_order(circuit), config);
  EXPECT_NE(independent.console.find("samples = 500 of 2^1 independent patterns, seed = 0, replicate = 0\n"),
            std::string::npos);
  EXPECT_NEAR(double(independent.counts[100][1]), 250, 50) << "i0 and i99 drawn alike";
  EXPECT_NEAR(double(independent.counts[100][2]), 250, 50);
  config.sampling->kind = counting::sample_kind::batch;

  // A stopped sample keeps whole batches only: here none, though g was evaluated.
  config.time_limit = 0;
  for (const auto kind : {counting::sample_kind::batch, counting::sample_kind::independent}) {
    config.sampling->kind = kind;
    const run_result stopped = run(circuit, identity_order(circuit), config);
    EXPECT_TRUE(stopped.outcome.out_of_time);
    EXPECT_EQ(stopped.counts[100], (std::vector<cmb_t>{0, 0, 0, 0}));
  }
}

TEST(Engine, IndependentPatternsCountTheVarInputsTablesInTheMemoryCheck) {
  // Tables of 2^40 bits fit nowhere; the refusal counts the tables: the var inputs' 60 of their
  // own with independent patterns, none (they share the constant tables) with batches.
  std::vector<std::string> lines;
  for (int k = 0; k < 100; ++k) lines.push_back("i" + std::to_string(k) + " = I");
  lines.push_back("g = AND( i0_0 , i99_0 )");
  const Circuit circuit = circuit_text::parse(lines);
  settings config;
  config.use_bits = 40;
  config.print_every = 0;
  const auto refused_tables = [&](counting::sample_kind kind) {
    config.sampling = counting::sampling{1, 0, 0, kind};
    try {
      run(circuit, identity_order(circuit), config);
    } catch (const simulation::tables_too_large& error) {
      const std::string text = error.what();
      const std::size_t open = text.find(" (");
      return std::stoull(text.substr(open + 2));
    }
    ADD_FAILURE() << "tables of 2^40 bits were not refused";
    return 0ull;
  };
  EXPECT_EQ(refused_tables(counting::sample_kind::independent),
            refused_tables(counting::sample_kind::batch) + 60);
}

TEST(Engine, SampledSplitsRefuseWorkersAndCountsPast64Bits) {
  settings config;
  config.sampling = counting::sampling{1000, 0, 0};
  const counting::input_split split = counting::split_inputs(200, config);
  EXPECT_EQ(split.use_bits, counting::default_sample_use_bits);
  EXPECT_EQ(split.var_bits, 200u - counting::default_sample_use_bits);
  EXPECT_EQ(split.max_batch, 1000u);
  config.use_bits = 30;
  EXPECT_EQ(counting::split_inputs(20, config).use_bits, 20u);
  config.sampling->samples = std::uint64_t{1} << 33;
  EXPECT_NO_THROW(counting::split_inputs(200, config));
  config.sampling->samples += 1;
  try {
    counting::split_inputs(200, config);
    FAIL();
  } catch (const counting::sample_too_large& error) {
    EXPECT_STREQ(error.what(),
                 "8589934593 samples of 2^30 patterns each are too many for the 64-bit pattern counts: at "
                 "most 2^63 patterns per run (8589934592 samples at '-use-bits' 30).");
  }
  config.use_bits = 64;
  config.sampling->samples = 1;
  EXPECT_THROW(counting::split_inputs(200, config), counting::sample_too_large);
  config.use_bits.reset();
  config.sel_bits = 1;
  EXPECT_THROW(counting::split_inputs(200, config), counting::sampling_with_workers);
}
