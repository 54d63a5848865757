#include "bdd/build_order.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "../operation/circuit_text.hpp"
#include "operation/read/topological_sort.hpp"

namespace {

using operation::nid_t;

// g3 reads the shallow g0 before the deeper g2 (over g1); o0 reads g3, o1 reads g1; g4 feeds no
// output. Deeper input first: g1, g2, g0, g3; the unread g4 last.
TEST(BuildOrder, BuildsTheDeeperInputFirstAndUnreadNodesLast) {
  operation::Circuit circuit = circuit_text::parse(
      {"i0 = I", "i1 = I", "g0 = AND( i0_0 , i1_0 )", "g1 = OR( i0_0 , ~i1_0 )", "g2 = XOR( g1_0 , i0_0 )",
       "g3 = AND( g0_0 , g2_0 )", "g4 = OR( g0_0 , i1_0 )", "o0 = O( g3_0 )", "o1 = O( g1_0 )"});
  operation::sort_topologically(circuit);
  std::vector<std::string> names;
  for (const nid_t n : symbolic::build_order(circuit)) names.emplace_back(circuit.name(n));
  EXPECT_EQ(names, (std::vector<std::string>{"g1", "g2", "g0", "g3", "g4"}));
}

}  // namespace
