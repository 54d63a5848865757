#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "circuit_text.hpp"
#include "operation/circuit.hpp"

namespace {

using namespace operation;
using namespace circuit_text;
using lines_t = std::vector<std::string>;

// Sorts the way the programs do: fan-out lists, breadth-first order, rebuild.
void sort(Circuit& circuit) {
  circuit.build_fanout_lists();
  const std::vector<nid_t> order = circuit.topology_bfs();
  circuit.free_fanout_lists();
  circuit.reorder(order);
}

// Expects `action` to throw std::runtime_error `message` and to leave `circuit` as it was.
template <typename Action>
void expect_refused_unchanged(Circuit& circuit, Action action, const std::string& message) {
  const lines_t before = lines(circuit);
  const std::vector<nid_t> fanouts = fanout_counts(circuit);
  try {
    action();
    ADD_FAILURE() << message;
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(error.what(), message);
  }
  EXPECT_EQ(lines(circuit), before);
  EXPECT_EQ(fanout_counts(circuit), fanouts);
}

TEST(CircuitOrder, BreadthFirstOrderSortsAndDropsTheUnread) {
  Circuit circuit = parse({"0 = 0", "a = I", "b = I", "g2 = AND( g1_0 , b_0 )", "g1 = OR( a_0 , b_0 )",
                           "u = ?", "o = O( g2_0 )"});
  EXPECT_FALSE(circuit.sorted());
  EXPECT_THROW(circuit.topology_bfs(), std::runtime_error);
  circuit.build_fanout_lists();
  EXPECT_EQ(circuit.topology_bfs(), (std::vector<nid_t>{1, 2, 4, 3, 6}));
  circuit.reorder(circuit.topology_bfs());
  EXPECT_EQ(lines(circuit),
            (lines_t{"a = I", "b = I", "g1 = OR( a_0 , b_0 )", "g2 = AND( g1_0 , b_0 )", "o = O( g2_0 )"}));
  EXPECT_TRUE(circuit.sorted());
  EXPECT_EQ(fanout_counts(circuit), (std::vector<nid_t>{1, 2, 1, 1, 0}));
  EXPECT_THROW(circuit.assert_fanout_lists_built(), std::runtime_error);

  // A read fixed node stays at index 0; a chain given backwards comes out forwards.
  circuit = parse({"0 = 0", "a = I", "g3 = XOR( g2_0 , a_0 )", "g2 = XOR( g1_0 , 0_0 )", "g1 = ( ~a_0 )",
                   "o = O( g3_0 )"});
  sort(circuit);
  EXPECT_EQ(lines(circuit), (lines_t{"0 = 0", "a = I", "g1 = ( ~a_0 )", "g2 = XOR( g1_0 , 0_0 )",
                                     "g3 = XOR( g2_0 , a_0 )", "o = O( g3_0 )"}));
  EXPECT_TRUE(circuit.sorted());
}

TEST(CircuitOrder, ReadingADroppedNodeNamesTheCause) {
  Circuit unassigned = parse({"a = I", "u = ?", "g = AND( a_0 , u_0 )", "o = O( g_0 )"});
  unassigned.build_fanout_lists();
  const std::vector<nid_t> order = unassigned.topology_bfs();
  EXPECT_EQ(order, (std::vector<nid_t>{0, 3}));
  expect_refused_unchanged(
      unassigned, [&] { unassigned.reorder(order); },
      "Node `g` reads `u`, which is not kept (unassigned or on a combinational cycle).");
  expect_refused_unchanged(
      unassigned, [&] { unassigned.remove_nones(); },
      "Node `g` reads `u`, which is not kept (unassigned or on a combinational cycle).");

  Circuit cycle = parse(
      {"a = I", "x = AND( h_0 , a_0 )", "g = AND( a_0 , h_0 )", "h = AND( g_0 , a_0 )", "o = O( x_0 )"});
  expect_refused_unchanged(
      cycle, [&] { sort(cycle); },
      "Node `g` reads `h`, which is not kept (unassigned or on a combinational cycle).");
}

TEST(CircuitOrder, RefusedOrdersLeaveTheCircuitAsItWas) {
  Circuit circuit = parse({"0 = 0", "a = I", "g = AND( a_0 , 0_0 )", "h = OR( g_0 , a_0 )", "o = O( h_0 )"});
  expect_refused_unchanged(
      circuit,
      [&] {
        circuit.reorder({0, 1, 2, 4, 3});
      },
      "Logic nodes should come third.");
  expect_refused_unchanged(
      circuit,
      [&] {
        circuit.reorder({0, 2, 1, 3, 4});
      },
      "Input nodes should come second.");
  expect_refused_unchanged(
      circuit,
      [&] {
        circuit.reorder({1, 0, 2, 3, 4});
      },
      "The fixed node should come first.");
  expect_refused_unchanged(
      circuit,
      [&] {
        circuit.reorder({0, 1, 2, 2, 3, 4});
      },
      "Node order names node `g` twice.");
  expect_refused_unchanged(
      circuit,
      [&] {
        circuit.reorder({0, 1, 5});
      },
      "Node order names node 5 of a circuit of 5 nodes.");
}

TEST(CircuitOrder, RemovalKeepsTheRest) {
  Circuit circuit = parse({"a = I", "u = ?", "g = ( a_0 )", "v = ?", "o = O( g_0 )"});
  circuit.remove_nones();
  EXPECT_EQ(lines(circuit), (lines_t{"a = I", "g = ( a_0 )", "o = O( g_0 )"}));
  EXPECT_EQ(circuit.logic_count(), 1U);
  circuit.remove_nones();
  EXPECT_EQ(circuit.size(), 3U);
  circuit.remove_if([](const Node& node) { return node.name() == "o"; });
  EXPECT_EQ(lines(circuit), (lines_t{"a = I", "g = ( a_0 )"}));
  EXPECT_EQ(circuit.output_count(), 0U);
  EXPECT_EQ(fanout_counts(circuit), (std::vector<nid_t>{1, 0}));
}

TEST(CircuitOrder, WireChainsCollapseWithTheirParity) {
  Circuit circuit =
      parse({"a = I", "b = I", "w1 = ( a_0 )", "w2 = ( ~w1_0 )", "g = AND( w2_0 , a_0 )", "v1 = ( ~b_0 )",
             "v2 = ( ~v1_0 )", "h = OR( v2_0 , v1_0 )", "r = REC1.AND( g_0 , h_0 )", "w3 = ( ~r_1 )",
             "o = O( g_0 )", "p = O( v2_0 )", "q = O( w3_0 )"});
  const std::vector<nid_t> before = fanout_counts(circuit);
  circuit.remove_wires();
  EXPECT_EQ(lines(circuit),
            (lines_t{"a = I", "b = I", "g = AND( ~a_0 , a_0 )", "h = OR( b_0 , ~b_0 )",
                     "r = REC1.AND( g_0 , h_0 )", "o = O( g_0 )", "p = O( b_0 )", "q = O( ~r_1 )"}));
  EXPECT_EQ(fanout_counts(circuit), (std::vector<nid_t>{before[0], 3, 2, 1, 1, 0, 0, 0}));
  EXPECT_TRUE(circuit.sorted());

  Circuit unsorted = parse({"a = I", "w = ( v_0 )", "v = ( a_0 )"});
  expect_refused_unchanged(
      unsorted, [&] { unsorted.remove_wires(); }, "The circuit should be topologically sorted.");
}

TEST(CircuitOrder, RanksSplitLogicIntoIndependentLevels) {
  const Circuit circuit = parse({"a = I", "b = I", "g1 = AND( a_0 , b_0 )", "g2 = AND( g1_0 , a_0 )",
                                 "g3 = AND( g2_0 , b_0 )", "o = O( g3_0 )"});
  EXPECT_EQ(circuit.get_ranks(), (std::vector<nid_t>{0, 2, 3, 4, 5, 6}));
  EXPECT_EQ(parse({"0 = 0", "a = I", "o = O( a_0 )"}).get_ranks(), (std::vector<nid_t>{0, 2, 2, 3}));
  EXPECT_EQ(parse({"a = I", "b = I", "g = AND( a_0 , b_0 )", "h = OR( a_0 , b_0 )", "k = XOR( g_0 , b_0 )"})
                .get_ranks(),
            (std::vector<nid_t>{0, 2, 4, 5, 5}));
  Circuit unsorted = parse({"a = I", "g = ( h_0 )", "h = ( a_0 )"});
  EXPECT_THROW(unsorted.get_ranks(), std::runtime_error);
  EXPECT_THROW(unsorted.section_signals({0, 1, 3, 3}), std::runtime_error);
}

TEST(CircuitOrder, SectionSignalsCountHeldSignalsOnce) {
  const Circuit circuit =
      parse({"a = I", "b = I", "g1 = AND( a_0 , b_0 )", "g2 = OR( g1_0 , b_0 )", "g3 = XOR( g2_0 , a_0 )",
             "g4 = AND( g2_0 , ~a_0 )", "o = O( g3_0 )", "p = O( g4_0 )"});
  const std::vector<nid_t> ranks = circuit.get_ranks();
  EXPECT_EQ(ranks, (std::vector<nid_t>{0, 2, 3, 4, 6, 8}));
  EXPECT_EQ(circuit.section_signals(ranks), (std::vector<std::uint64_t>{2, 4, 3, 4, 2}));
  for (const std::vector<nid_t>& bad : {std::vector<nid_t>{0}, {0, 3, 2, 8}, {0, 2, 9}})
    EXPECT_THROW(circuit.section_signals(bad), std::runtime_error);
}

// The per-section counts computed the plain way: one set of held signals per section.
std::vector<std::uint64_t> signals_by_sets(const Circuit& circuit, const std::vector<nid_t>& ranks) {
  std::vector<std::uint64_t> counts(ranks.size() - 1, 0);
  std::vector<std::set<std::pair<nid_t, pos_t>>> held(ranks.size() - 1);
  counts[0] = circuit.data_count();
  for (std::size_t k = 0; k + 1 < ranks.size(); ++k)
    for (nid_t n = ranks[k]; n < ranks[k + 1]; ++n)
      for (const auto& [source, port, inverted] : circuit[n].inputs()) {
        const auto s = static_cast<std::size_t>(std::upper_bound(ranks.begin(), ranks.begin() + k, source) -
                                                ranks.begin());
        for (std::size_t i = s; i < k; ++i) counts[i] += held[i].emplace(source, port).second;
        ++counts[k];
      }
  return counts;
}

// Sorting keeps every node's meaning (its printed line) and drops only an unread fixed node; wire
// removal keeps the fan-out counts exact; ranks are independent levels; the signal counts agree
// with the plain set-based count.
TEST(CircuitOrder, RandomCircuitsSortAndAnalyse) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    Circuit circuit = parse(random_circuit(random, 1 + random() % 6, random() % 60, 1 + random() % 5));
    lines_t expected = lines(circuit);
    if (circuit.fanout_count(0) == 0) expected.erase(expected.begin());
    sort(circuit);
    lines_t got = lines(circuit);
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    ASSERT_EQ(got, expected);
    ASSERT_TRUE(circuit.sorted() && circuit.check_sorted());

    circuit.remove_wires();
    circuit.build_fanout_lists();  // throws unless every fan-out count matches the arcs
    for (const Node& node : circuit) ASSERT_TRUE(node.gate() != gates::WIRE);
    const std::vector<nid_t> ranks = circuit.get_ranks();
    for (std::size_t k = 1; k + 2 < ranks.size(); ++k)
      for (nid_t n = ranks[k]; n < ranks[k + 1]; ++n)
        for (const arc_t& arc : circuit[n].inputs()) ASSERT_LT(arc.node, ranks[k]);
    ASSERT_EQ(circuit.section_signals(ranks), signals_by_sets(circuit, ranks));
  }
}

}  // namespace
