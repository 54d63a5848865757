#include "operation/node.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace operation;

TEST(Node, IsAPackedRecord) {
  EXPECT_EQ(sizeof(Node), 22U);
  const Node empty;
  EXPECT_TRUE(empty.name().empty());
  EXPECT_TRUE(empty.gate() == gates::NONE);
  EXPECT_TRUE(empty.inputs().empty());
  EXPECT_EQ(empty.fanout_count(), 0U);
}

TEST(Node, NamesUpTo255Characters) {
  EXPECT_EQ(Node(std::string(255, 'x'), gates::I).name(), std::string(255, 'x'));
  EXPECT_EQ(Node("", gates::I).name(), "");
  try {
    Node(std::string(256, 'x'), gates::I);
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Name too long. Increase nns_t.");
  }
}

TEST(Node, GateIsSetOnceFromNone) {
  Node node("n", gates::NONE);
  node.set_gate(gates::MAJ);
  EXPECT_TRUE(node.gate() == gates::MAJ);
  EXPECT_EQ(node.gate_name(), "MAJ");
  ASSERT_EQ(node.inputs().size(), 3U);
  for (const arc_t& arc : node.inputs()) EXPECT_EQ(arc, arc_t(0, 0, false));
  EXPECT_THROW(node.set_gate(gates::AND), std::runtime_error);
  try {
    Node("a", gates::I).set_gate(gates::AND);
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Cannot change gate, except from NONE.");
  }
}

// The node evaluates its gate on its own arcs, inversions included.
TEST(Node, EvaluatesThroughItsOwnArcs) {
  std::vector<tab_t> values{bitset::from_words(4, std::vector<bck_t>{0b1110}),
                            bitset::from_words(4, std::vector<bck_t>{0b1100}), bitset()};
  std::vector<tab_t*> ports{&values[0], &values[1], &values[2]};
  std::vector<tab_t**> tables{&ports[0], &ports[1], &ports[2]};
  Node node("n", gates::AND);
  node.set_input(0, 0, 0, true);
  node.set_input(1, 1, 0, false);
  cmb_t combs[4] = {};
  node({.node = 2, .arcs = nullptr, .tables = tables.data(), .max_combs = 4, .combs = combs});
  EXPECT_EQ(std::vector<cmb_t>(combs, combs + 4), (std::vector<cmb_t>{1, 2, 1, 0}));
  EXPECT_EQ(values[2].popcount(), 0U);
}

}  // namespace
