#include "operation/circuit.hpp"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "circuit_text.hpp"

namespace {

using namespace operation;
using namespace circuit_text;

std::array<nid_t, 4> counts(const Circuit& circuit) {
  return {circuit.fixed_count(), circuit.input_count(), circuit.logic_count(), circuit.output_count()};
}

// Emplaces `gate` into `circuit` and expects the section message `message`, counts unchanged.
void expect_refused(Circuit& circuit, Gate gate, const char* message) {
  const auto before = counts(circuit);
  const nid_t size = circuit.size();
  try {
    circuit.emplace_node("late", gate);
    ADD_FAILURE() << gate.name();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), message);
  }
  EXPECT_EQ(counts(circuit), before);
  EXPECT_EQ(circuit.size(), size);
}

TEST(Circuit, SectionsComeInOrder) {
  Circuit circuit(10);
  EXPECT_EQ(circuit.emplace_node("0", gates::ZERO), 0U);
  expect_refused(circuit, gates::ZERO, "A circuit may only have one fixed node (0).");
  circuit.emplace_node("a", gates::I);
  expect_refused(circuit, gates::ZERO, "The fixed node should come first.");
  circuit.emplace_node("w", gates::WIRE);
  circuit.emplace_node("u", gates::NONE);
  expect_refused(circuit, gates::I, "Input nodes should come second.");
  EXPECT_EQ(circuit.emplace_node("o-0", gates::O), 4U);
  expect_refused(circuit, gates::AND, "Logic nodes should come third.");
  expect_refused(circuit, gates::ZERO, "The fixed node should come first.");
  circuit.emplace_node("o-1", gates::O);
  EXPECT_EQ(counts(circuit), (std::array<nid_t, 4>{1, 1, 2, 2}));
  EXPECT_EQ(circuit.data_count(), 2U);
  EXPECT_EQ(circuit.transfer_count(), 4U);
  EXPECT_EQ(circuit.size(), 6U);
  EXPECT_EQ(circuit.back().name(), "o-1");

  Circuit plain(2);  // no fixed node, no logic
  plain.emplace_node("a", gates::I);
  plain.emplace_node("o", gates::O);
  EXPECT_EQ(counts(plain), (std::array<nid_t, 4>{0, 1, 0, 1}));
}

TEST(Circuit, CapacityIsBounded) {
  try {
    Circuit circuit(siz_t{4294967296});
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Too many nodes (4294967296 > 4294967295). Increase nid_t.");
  }
  Circuit circuit(1);
  circuit.emplace_node("a", gates::I);
  EXPECT_THROW(circuit.emplace_node("b", gates::I), std::runtime_error);
  EXPECT_EQ(circuit.size(), 1U);
}

TEST(Circuit, PrintsOneLinePerNode) {
  const std::vector<std::string> text{
      "0 = 0",       "a = I", "b = I",          "n1 = AND( a_0 , ~b_0 )", "r = REC2.MAJ( 0_0 , a_0 , n1_0 )",
      "w = ( r_2 )", "u = ?", "o-0 = O( ~w_0 )"};
  const Circuit circuit = parse(text);
  EXPECT_EQ(lines(circuit), text);
  std::ostringstream out;
  out << parse({"a = I", "w = ( ~a_0 )"});
  EXPECT_EQ(out.str(), "a = I\nw = ( ~a_0 )\n");
}

TEST(Circuit, SortedFlagFollowsTheArcs) {
  Circuit circuit = parse({"a = I", "g = AND( a_0 , a_0 )", "o = O( g_0 )"});
  circuit.set_sorted(false);
  EXPECT_TRUE(circuit.check_sorted());
  EXPECT_TRUE(parse({"a = I", "o = O( a_0 )"}).sorted());
  EXPECT_FALSE(parse({"a = I", "g = AND( a_0 , g_0 )"}).sorted());
  try {
    parse({"a = I", "g = ( h_0 )", "h = ( a_0 )"}).assert_sorted();
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "The circuit should be topologically sorted.");
  }
}

TEST(Circuit, FanoutListsFollowConsumersAndPorts) {
  Circuit circuit = parse({"a = I", "b = I", "r = REC1.AND( a_0 , b_0 )", "g = XOR( r_1 , ~r_0 )",
                           "h = AND( b_0 , r_1 )", "o = O( g_0 )", "p = O( ~h_0 )"});
  try {
    circuit.assert_fanout_lists_built();
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Run `build_fanout_lists` first.");
  }
  circuit.build_fanout_lists();
  circuit.build_fanout_lists();  // a second build replaces the first
  circuit.assert_fanout_lists_built();
  const auto list = [&](nid_t n) {
    return std::vector<arc_t>(circuit.fanouts(n).begin(), circuit.fanouts(n).end());
  };
  EXPECT_EQ(list(1), (std::vector<arc_t>{{2, 0, false}, {4, 0, false}}));
  EXPECT_EQ(list(2), (std::vector<arc_t>{{3, 1, false}, {3, 0, true}, {4, 1, false}}));
  EXPECT_EQ(list(4), (std::vector<arc_t>{{6, 0, true}}));
  EXPECT_TRUE(circuit.fanouts(5).empty());
  circuit.free_fanout_lists();
  EXPECT_THROW(circuit.assert_fanout_lists_built(), std::runtime_error);

  circuit[0].add_fanout(1);  // a count no arc accounts for
  try {
    circuit.build_fanout_lists();
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Node `a` is read by 1 arcs, but its fan-out count is 2.");
  }
}

}  // namespace
