#include "counting/input_order.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../operation/circuit_text.hpp"
#include "operation/read/topological_sort.hpp"

namespace {

using operation::Circuit;
using operation::nid_t;
using order_t = std::vector<nid_t>;

Circuit sorted(const std::vector<std::string>& lines) {
  Circuit circ = circuit_text::parse(lines);
  operation::sort_topologically(circ);
  return circ;
}

// i1 reaches g0, g1 and g2; i0 and i2 two gates each; i3 none. The constant is read, so the inputs'
// node positions start at 1.
Circuit small_circuit() {
  return sorted({"0 = 0", "i0 = I", "i1 = I", "i2 = I", "i3 = I", "g0 = AND( i0_0 , i1_0 )",
                 "g1 = OR( g0_0 , ~i2_0 )", "g2 = XOR( i1_0 , 0_0 )", "g3 = MAJ( g2_0 , i2_0 , g1_0 )",
                 "o0 = O( g3_0 )", "o1 = O( g1_0 )"});
}

// Inputs 0 to `inputs` - 1; each odd one feeds a gate of its own twice, each even one nothing.
Circuit odd_inputs_read(nid_t inputs) {
  std::vector<std::string> lines;
  for (nid_t k = 0; k < inputs; ++k) lines.push_back("i" + std::to_string(k) + " = I");
  for (nid_t k = 1; k < inputs; k += 2)
    lines.push_back("g" + std::to_string(k) + " = AND( i" + std::to_string(k) + "_0 , ~i" +
                    std::to_string(k) + "_0 )");
  for (nid_t k = 1; k < inputs; k += 2)
    lines.push_back("o" + std::to_string(k) + " = O( g" + std::to_string(k) + "_0 )");
  return sorted(lines);
}

// Even indices ascending, then odd ones ascending.
order_t evens_then_odds(nid_t inputs) {
  order_t order;
  for (nid_t k = 0; k < inputs; k += 2) order.push_back(k);
  for (nid_t k = 1; k < inputs; k += 2) order.push_back(k);
  return order;
}

order_t order_of(const Circuit& circ, const std::string& method) {
  std::ostringstream console;
  return counting::order_inputs(circ, circ.get_ranks(), method, console);
}

TEST(InputOrder, ReachCountsNodesReachedIncludingTheInput) {
  const Circuit circ = small_circuit();
  ASSERT_EQ(circ.fixed_count(), 1u);
  // i0: g0 g1 g3; i1: g0 g1 g2 g3; i2: g1 g3; i3: itself only.
  EXPECT_EQ(counting::reach_counts(circ, circ.get_ranks()), (order_t{4, 5, 3, 1}));
  EXPECT_EQ(order_of(circ, "reach"), (order_t{3, 2, 0, 1}));
  // Fan-outs: i0 1, i1 2, i2 2, i3 0; i1 and i2 tie and keep their index order.
  EXPECT_EQ(order_of(circ, "fanouts"), (order_t{3, 0, 1, 2}));
  EXPECT_EQ(order_of(circ, "no"), (order_t{0, 1, 2, 3}));
}

TEST(InputOrder, EqualKeysKeepIndexOrder) {
  // Many equal keys, over more than two words of the reach matrix: an unstable sort would mix them.
  const Circuit circ = odd_inputs_read(150);
  EXPECT_EQ(order_of(circ, "reach"), evens_then_odds(150));
  EXPECT_EQ(order_of(circ, "fanouts"), evens_then_odds(150));
  const Circuit no_logic = sorted({"a = I", "b = I", "c = I", "o = O( b_0 )"});
  EXPECT_EQ(counting::reach_counts(no_logic, no_logic.get_ranks()), (order_t{1, 1, 1}));
  EXPECT_EQ(order_of(no_logic, "reach"), (order_t{0, 1, 2}));
}

TEST(InputOrder, OnlyReachOrderIsATimedPhase) {
  const Circuit circ = small_circuit();
  std::ostringstream console;
  counting::order_inputs(circ, circ.get_ranks(), "fanouts", console);
  EXPECT_EQ(console.str(), "");
  counting::order_inputs(circ, circ.get_ranks(), "reach", console);
  EXPECT_TRUE(console.str().starts_with("finding inputs' reach\nfinding inputs' reach: time = "))
      << console.str();
  EXPECT_THROW(order_of(circ, "random"), std::invalid_argument);
}

}  // namespace

// small_circuit from its outputs o0 = g3 and o1 = g1. Depth-first from o0: g3, g2, i1, the
// constant, i2, g1, g0, i0. Breadth-first from o1 first: g1 reads g0 and i2; then g3, then g0's
// i0 and i1. The unread i3 comes last in both.
TEST(InputOrder, WalksFromTheOutputsFindInputsInOrderOfFirstUse) {
  const Circuit circ = small_circuit();
  EXPECT_EQ(counting::depth_first_order(circ), (order_t{1, 2, 0, 3}));
  EXPECT_EQ(counting::breadth_first_order(circ), (order_t{2, 0, 1, 3}));
}

// small_circuit's depths: g0 and g2 1, g1 2, g3 3. Deeper fan-in first from o0: g3, g1, g0, i0, i1,
// i2 (g1's shallower input), then g2 and g3's i2, both seen.
TEST(InputOrder, DeeperFirstFollowsTheDeepestInputFirst) {
  const Circuit circ = small_circuit();
  EXPECT_EQ(counting::deeper_first_order(circ), (order_t{0, 1, 2, 3}));
  EXPECT_EQ(order_of(circ, "depth-level"), counting::deeper_first_order(circ));
}

// Two 3-bit words compared bit by bit, outputs listed from bit 0 up: the breadth-first order
// interleaves the words, the most significant bits first.
TEST(InputOrder, BreadthFirstInterleavesWordsMostSignificantFirst) {
  const Circuit circ =
      sorted({"a0 = I", "a1 = I", "a2 = I", "b0 = I", "b1 = I", "b2 = I", "e0 = XOR( a0_0 , b0_0 )",
              "e1 = XOR( a1_0 , b1_0 )", "e2 = XOR( a2_0 , b2_0 )", "o0 = O( e0_0 )", "o1 = O( e1_0 )",
              "o2 = O( e2_0 )"});
  EXPECT_EQ(counting::breadth_first_order(circ), (order_t{2, 5, 1, 4, 0, 3}));
  EXPECT_EQ(counting::order_inputs(circ, circ.get_ranks(), "breadth"), counting::breadth_first_order(circ));
}
