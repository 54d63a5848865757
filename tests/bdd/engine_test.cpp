#include "bdd/engine.hpp"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <sstream>

#include "../operation/circuit_text.hpp"
#include "../simulation/reference.hpp"
#include "counting/split_errors.hpp"

namespace {

using operation::Circuit;
using operation::nid_t;
using symbolic::count_t;

// Node n's counts from a symbolic run, as numbers the reference can be compared with.
std::vector<std::vector<operation::cmb_t>> symbolic_counts(const Circuit& circuit,
                                                           symbolic::input_orders orders,
                                                           const counting::settings& config) {
  std::ostringstream console;
  std::vector<std::vector<operation::cmb_t>> counts(circuit.transfer_count());
  symbolic::run(circuit, std::move(orders), circuit.get_ranks().size() - 3, config, {}, console,
                [&](const symbolic::engine& engine) {
                  for (nid_t n = 0; n < circuit.transfer_count(); ++n)
                    for (const count_t& count : engine.counts(n))
                      counts[n].push_back(count.convert_to<operation::cmb_t>());
                });
  return counts;
}

std::vector<std::uint32_t> shuffled_inputs(const Circuit& circuit, std::mt19937& random) {
  std::vector<std::uint32_t> order(circuit.input_count());
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), random);
  return order;
}

// Every gate kind, inverted arcs, constants and repeated operands, in any variable order and for
// every worker of a split: the counts of evaluating every assignment one by one.
TEST(SymbolicEngine, CountsEqualEvaluatingEveryAssignment) {
  std::mt19937 random(17);
  for (int round = 0; round < 60; ++round) {
    const Circuit circuit = circuit_text::parse(
        reference::random_circuit(random, random() % 9, 1 + random() % 40, round % 2 == 0));
    symbolic::input_orders orders{shuffled_inputs(circuit, random), shuffled_inputs(circuit, random)};
    counting::settings config;
    config.print_every = round % 3;
    config.sel_bits = round % 4 == 0 ? std::min<std::uint32_t>(2, circuit.input_count()) : 0;
    for (std::uint64_t worker = 0; worker < (std::uint64_t{1} << config.sel_bits); ++worker) {
      config.worker = worker;
      SCOPED_TRACE(testing::Message() << "round " << round << ", worker " << worker);
      EXPECT_EQ(symbolic_counts(circuit, orders, config),
                reference::brute_force(circuit, orders.split, config.sel_bits, worker));
    }
  }
}

// A run whose diagrams outgrow the restart size starts again in the fallback order, once, and
// counts as if it had started there.
TEST(SymbolicEngine, StartsAgainInTheFallbackOrderWhenTheDiagramsGrow) {
  std::mt19937 random(5);
  for (int round = 0; round < 10; ++round) {
    const Circuit circuit = circuit_text::parse(reference::random_circuit(random, 6, 30, true));
    symbolic::input_orders orders{shuffled_inputs(circuit, random), shuffled_inputs(circuit, random)};
    orders.fallback = shuffled_inputs(circuit, random);
    orders.restart_nodes = 1;
    counting::settings config;
    config.print_every = 1;
    std::ostringstream console;
    std::vector<std::vector<operation::cmb_t>> counts(circuit.transfer_count());
    symbolic::run(circuit, orders, circuit.get_ranks().size() - 3, config, {}, console,
                  [&](const symbolic::engine& engine) {
                    for (nid_t n = 0; n < circuit.transfer_count(); ++n)
                      for (const count_t& count : engine.counts(n))
                        counts[n].push_back(count.convert_to<operation::cmb_t>());
                  });
    EXPECT_EQ(counts, reference::brute_force(circuit, orders.split)) << "round " << round;
    const std::string text = console.str();
    const std::string line = "nodes at gate 1: starting again in the fallback variable order\n";
    const auto restart = text.find(line);
    ASSERT_NE(restart, std::string::npos) << text;
    EXPECT_EQ(text.find("starting again", restart + line.size()), std::string::npos) << "started again twice";
  }
}

// A chain of 100 inputs: c1 = AND(x0, x1), c_k = AND(c_{k-1}, x_k), and likewise with XOR. The
// AND gate c_k sees (1, 1) in 2^(100-k-1) assignments; every XOR gate sees each combination in a
// quarter of the 2^100.
TEST(SymbolicEngine, CountsBeyond64BitsFollowTheClosedForm) {
  constexpr int width = 100;
  std::vector<std::string> lines;
  for (int k = 0; k < width; ++k) lines.push_back("x" + std::to_string(k) + " = I");
  for (const std::string kind : {"AND", "XOR"})
    for (int k = 1; k < width; ++k) {
      const std::string previous = k == 1 ? "x0_0" : kind + std::to_string(k - 1) + "_0";
      lines.push_back(kind + std::to_string(k) + " = " + kind + "( " + previous + " , x" + std::to_string(k) +
                      "_0 )");
    }
  lines.push_back("o = O( AND99_0 )");
  lines.push_back("p = O( XOR99_0 )");
  const Circuit circuit = circuit_text::parse(lines);
  std::vector<std::uint32_t> order(width);
  std::iota(order.begin(), order.end(), 0);
  counting::settings config;
  config.print_every = 0;
  std::ostringstream console;
  bool inspected = false;
  symbolic::run(
      circuit, {order, order}, circuit.get_ranks().size() - 3, config, {}, console,
      [&](const symbolic::engine& engine) {
        inspected = true;
        const count_t all = count_t(1) << width;
        for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
          const std::string name(circuit.name(n));
          const std::span<const count_t> counts = engine.counts(n);
          ASSERT_EQ(counts.size(), 4u) << name;
          if (name.starts_with("XOR")) {
            for (const count_t& count : counts) EXPECT_EQ(count, all / 4) << name;
            continue;
          }
          const int k = std::stoi(name.substr(3));  // the chain so far is 1 in 2^(width - k) of 2^width
          const count_t chain_true = count_t(1) << (width - k);
          EXPECT_EQ(counts[3], chain_true / 2) << name;          // chain and x_k both 1
          EXPECT_EQ(counts[2], chain_true / 2) << name;          // chain 1, x_k 0
          EXPECT_EQ(counts[1], (all - chain_true) / 2) << name;  // chain 0, x_k 1
          EXPECT_EQ(counts[0], (all - chain_true) / 2) << name;
        }
        std::ostringstream expected_first;
        expected_first << "AND1,AND," << all / 4 << ' ' << all / 4 << ' ' << all / 4 << ' ' << all / 4;
        EXPECT_NE(counting::count_file_text(circuit, [&](nid_t n) { return engine.counts(n); })
                      .find(expected_first.str()),
                  std::string::npos);
      });
  EXPECT_TRUE(inspected);
}

TEST(SymbolicEngine, RefusesAWorkerPastTheLastShare) {
  const Circuit circuit = circuit_text::parse({"a = I", "b = I", "g = AND( a_0 , b_0 )", "o = O( g_0 )"});
  counting::settings config;
  config.sel_bits = 1;
  config.worker = 2;
  std::ostringstream console;
  EXPECT_THROW(symbolic::run(circuit, {{0, 1}, {0, 1}}, 1, config, {}, console),
               counting::worker_out_of_range);
}

// After a time stop the run reports the gate reached and writes no count file.
TEST(SymbolicEngine, TimeLimitStopsAfterTheFirstGate) {
  const Circuit circuit =
      circuit_text::parse({"a = I", "b = I", "g = AND( a_0 , b_0 )", "h = XOR( g_0 , b_0 )", "o = O( h_0 )"});
  counting::settings config;
  config.time_limit = 0;
  config.print_every = 0;
  std::ostringstream console;
  bool h_counted = true;
  const counting::outcome result =
      symbolic::run(circuit, {{0, 1}, {0, 1}}, 2, config, {}, console, [&](const symbolic::engine& engine) {
        h_counted = !engine.counts(circuit.transfer_count() - 1).empty();
      });
  EXPECT_TRUE(result.out_of_time);
  EXPECT_EQ(result.gate_iter, 0u);
  EXPECT_EQ(result.batch_iter, 0u);
  EXPECT_FALSE(h_counted);
}

}  // namespace
