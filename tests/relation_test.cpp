#include "relation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "operation/circuit_text.hpp"

namespace {

using namespace operation;
using circuit_text::parse;
using order_t = std::list<nid_t>;

// Adds every node from index `first` on, in index order.
void add_from(Relation& relation, const Circuit& circuit, nid_t first) {
  for (nid_t n = first; n < circuit.size(); ++n) relation.add(n, circuit);
}

// The relation of `inputs` inputs (no fixed node) where each (i, j, times) listed adds `times` AND
// nodes of inputs i and j, each adding 0.25 to R(i, j).
Relation pair_relation(nid_t inputs, const std::vector<std::tuple<nid_t, nid_t, int>>& pairs) {
  std::vector<std::string> text;
  for (nid_t i = 0; i < inputs; ++i) text.push_back("i" + std::to_string(i) + " = I");
  for (const auto& [i, j, times] : pairs)
    for (int t = 0; t < times; ++t)
      text.push_back("p = AND( i" + std::to_string(i) + "_0 , i" + std::to_string(j) + "_0 )");
  const Circuit circuit = parse(text);
  Relation relation(0, inputs, circuit.size(), false);
  add_from(relation, circuit, inputs);
  return relation;
}

// The full matrix, row by row, as the iterator walks it.
std::vector<double> matrix(const Relation& relation) { return {relation.begin(), relation.end()}; }

// The influence vector of node `node`.
std::vector<double> vector_of(const Relation& relation, nid_t node) {
  std::vector<double> entries;
  for (nid_t k = 0; k < relation.inputs(); ++k) entries.push_back(relation.influence(node, k));
  return entries;
}

// Expects `action` to throw std::runtime_error `message`.
template <typename Action>
void expect_error(Action action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(error.what(), message);
  }
}

TEST(RelationInfluence, SourcesStartAsUnitVectorsAndNodesAverageTheirInputs) {
  const Circuit circuit =
      parse({"0 = 0", "a = I", "b = I", "c = I", "g = AND( a_0 , ~b_0 )", "g2 = AND( b_0 , a_0 )",
             "h = OR( g_0 , c_0 )", "k = XOR( 0_0 , 0_0 )", "m = AND( 0_0 , a_0 )"});
  Relation relation(1, 3, circuit.size(), false);
  EXPECT_EQ(vector_of(relation, 0), (std::vector<double>{0, 0, 0}));
  EXPECT_EQ(vector_of(relation, 1), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(vector_of(relation, 3), (std::vector<double>{0, 0, 1}));
  expect_error([&] { relation.influence(4, 0); }, "Node 4 has no influence vector.");

  relation.add(4, circuit);
  EXPECT_EQ(vector_of(relation, 4), (std::vector<double>{0.5, 0.5, 0}));
  EXPECT_EQ(relation.relation(1, 0), 0.25);
  relation.add(5, circuit);
  EXPECT_EQ(relation.relation(0, 1), 0.5);
  relation.add(6, circuit);
  EXPECT_EQ(vector_of(relation, 6), (std::vector<double>{0.25, 0.25, 0.5}));
  EXPECT_EQ(matrix(relation), (std::vector<double>{0, 0.5625, 0.125, 0.5625, 0, 0.125, 0.125, 0.125, 0}));

  // Only the fixed node: a zero vector; the fixed node beside an input: no pair. Neither adds to R.
  const std::vector<double> before = matrix(relation);
  relation.add(7, circuit);
  EXPECT_EQ(vector_of(relation, 7), (std::vector<double>{0, 0, 0}));
  relation.add(8, circuit);
  EXPECT_EQ(vector_of(relation, 8), (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(matrix(relation), before);

  expect_error([] { Relation(1, 3, 3, false); },
               "A relation of 3 nodes cannot cover 1 fixed and 3 input nodes.");
}

// Inputs a, b, c; g reads a twice; h reads g and c; k reads g and a; o reads h; d is read by nobody.
TEST(RelationMemory, VectorsAreDroppedAfterTheirLastReaderAndNotBefore) {
  const Circuit circuit =
      parse({"a = I", "b = I", "c = I", "g = AND( a_0 , a_0 )", "h = MAJ( g_0 , c_0 , b_0 )",
             "k = XOR( g_0 , a_0 )", "d = AND( b_0 , c_0 )", "o = O( h_0 )"});
  Relation kept(0, 3, circuit.size(), false);
  add_from(kept, circuit, 3);
  Relation relation(0, 3, circuit.size(), true);
  const auto present = [&] {
    std::string flags;
    for (nid_t n = 0; n < circuit.size(); ++n) flags += relation.has_influence(n) ? '+' : '-';
    return flags;
  };
  relation.add(3, circuit);  // two of a's three readers counted
  EXPECT_EQ(present(), "++++----");
  EXPECT_EQ(vector_of(relation, 3), (std::vector<double>{1, 0, 0}));
  relation.add(4, circuit);
  EXPECT_EQ(present(), "+++++---");
  relation.add(5, circuit);  // last reader of a and of g
  EXPECT_EQ(present(), "-++-+---");
  relation.add(6, circuit);  // last reader of b and c; d has no reader at all
  EXPECT_EQ(present(), "----+---");
  relation.add(7, circuit);
  EXPECT_EQ(present(), "--------");
  EXPECT_EQ(matrix(relation), matrix(kept));
}

TEST(RelationAdd, RefusesWhatItCannotReadAndChangesNothing) {
  Circuit circuit = parse({"a = I", "b = I", "h = AND( g_0 , b_0 )", "g = AND( a_0 , b_0 )",
                           "s = AND( s_0 , a_0 )", "r = AND( a_0 , b_0 )"});
  Relation relation(0, 2, circuit.size(), true);
  expect_error([&] { relation.add(2, circuit); },
               "Node `h` reads `g`, which has no influence vector (not added yet, or dropped after its "
               "last counted reader).");
  EXPECT_FALSE(relation.has_influence(2));
  EXPECT_EQ(matrix(relation), (std::vector<double>(4, 0)));
  expect_error([&] { relation.add(4, circuit); }, "Node `s` reads itself.");
  expect_error([&] { relation.add(6, circuit); },
               "Node 6 is outside the relation (6 nodes) or the circuit (6 nodes).");

  // A fan-out count too small drops a vector early; its next reader is refused instead of reading
  // freed memory.
  circuit[0].remove_fanout(2);
  relation.add(3, circuit);
  EXPECT_FALSE(relation.has_influence(0));
  EXPECT_THROW(relation.add(5, circuit), std::runtime_error);

  relation.shrink();
  expect_error([&] { relation.add(2, circuit); }, "The influence vectors have been freed.");
  EXPECT_EQ(relation.relation(1, 0), 0.25);
}

// On random circuits added in breadth-first order: every vector sums to 1 (or is zero), the memory
// mode gives the same matrix and ends with no vector left, and the iterator walks the symmetric matrix.
TEST(RelationRandom, MemoryModeMatchesAndFreesEverything) {
  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    const nid_t inputs = 1 + random() % 6;
    Circuit circuit = parse(circuit_text::random_circuit(random, inputs, random() % 60, 1 + random() % 5));
    circuit.build_fanout_lists();
    const std::vector<nid_t> order = circuit.topology_bfs();
    Relation kept(1, inputs, circuit.size(), false);
    Relation dropping(1, inputs, circuit.size(), true);
    for (const nid_t n : order) {
      kept.add(n, circuit);
      dropping.add(n, circuit);
    }
    ASSERT_EQ(matrix(dropping), matrix(kept));
    for (nid_t n = 0; n < circuit.size(); ++n) {
      ASSERT_EQ(dropping.has_influence(n), n == 0 && circuit.fanout_count(0) == 0);
      double sum = 0;
      for (const double entry : vector_of(kept, n)) sum += entry;
      ASSERT_TRUE(sum == 0 || std::abs(sum - 1) < 1e-12);
    }

    nid_t visited = 0;
    for (auto cell = kept.begin(); cell != kept.end(); ++cell, ++visited) {
      ASSERT_EQ(cell.row() * inputs + cell.column(), visited);
      ASSERT_EQ(*cell, kept.relation(cell.row(), cell.column()));
      ASSERT_EQ(*cell, kept.relation(cell.column(), cell.row()));
    }
    ASSERT_EQ(visited, inputs * inputs);
  }
}

TEST(RelationSelect, ChoosesByRemainingTotals) {
  std::vector<nid_t> chosen(3);
  pair_relation(3, {{2, 1, 1}}).select(1, chosen.data());
  EXPECT_EQ(chosen[0], 1u);  // inputs 1 and 2 tie; the lower index wins

  // R(1, 0) = 1.5, R(2, 0) = 0.5, R(3, 2) = 1.25: totals 2, 1.5, 1.75, 1.25. After 0: 0, 0, 1.25,
  // 1.25 (a tie, 2 wins); after 2: -0.5, 0, 0, 0; a chosen input stays eligible.
  const Relation relation = pair_relation(4, {{1, 0, 6}, {2, 0, 2}, {3, 2, 5}});
  chosen.resize(4);
  relation.select(4, chosen.data());
  EXPECT_EQ(chosen, (std::vector<nid_t>{0, 2, 1, 1}));

  pair_relation(1, {}).select(2, chosen.data());
  EXPECT_EQ(chosen[0] + chosen[1], 0u);
  const Relation none = pair_relation(0, {});
  none.select(0, nullptr);
  expect_error([&] { none.select(1, chosen.data()); }, "Cannot select inputs of a relation without inputs.");
}

TEST(RelationOrder, StartsWithTheStrongestPairAndGrowsAtTheStrongerEnd) {
  const std::vector<nid_t> none;
  // R(2, 1) largest; input 0 goes to the end whose row holds more relation to it, the back on a tie.
  EXPECT_EQ(pair_relation(3, {{2, 1, 3}, {2, 0, 2}, {1, 0, 1}}).build_order(none.begin(), none.end()),
            (order_t{0, 2, 1}));
  EXPECT_EQ(pair_relation(3, {{2, 1, 2}, {1, 0, 1}, {2, 0, 1}}).build_order(none.begin(), none.end()),
            (order_t{2, 1, 0}));
  EXPECT_EQ(pair_relation(4, {}).build_order(none.begin(), none.end()), (order_t{1, 0, 2, 3}));

  // R(1, 0) = 1, R(2, 1) = 0.5, R(3, 2) = 0.25; ignoring input 1 leaves only R(3, 2), and input 1
  // comes last.
  const Relation chain = pair_relation(4, {{1, 0, 4}, {2, 1, 2}, {3, 2, 1}});
  EXPECT_EQ(chain.build_order(none.begin(), none.end()), (order_t{3, 2, 1, 0}));
  const std::vector<nid_t> ignored{1};
  EXPECT_EQ(chain.build_order(ignored.begin(), ignored.end()), (order_t{3, 2, 0, 1}));
  const std::vector<nid_t> outside{4};
  expect_error([&] { chain.build_order(outside.begin(), outside.end()); },
               "Input 4 is outside the relation (4 inputs).");

  EXPECT_EQ(pair_relation(1, {}).build_order(none.begin(), none.end()), (order_t{0}));
  EXPECT_EQ(pair_relation(0, {}).build_order(none.begin(), none.end()), (order_t{}));
}

TEST(RelationMemory, CopiesAreDeepAndMovesEmptyTheSource) {
  const Circuit circuit = parse({"0 = 0", "a = I", "b = I", "g = AND( a_0 , b_0 )", "h = OR( a_0 , b_0 )"});
  Relation dropping(1, 2, circuit.size(), true);
  dropping.add(3, circuit);
  Relation copy(dropping);
  EXPECT_FALSE(copy.memory());
  EXPECT_FALSE(copy.has_influence(3));  // dropped at once: nobody reads g
  copy.add(4, circuit);
  EXPECT_EQ(copy.relation(1, 0), 0.5);
  EXPECT_EQ(dropping.relation(1, 0), 0.25);
  EXPECT_TRUE(dropping.has_influence(1));

  const Relation& same = copy;
  copy = same;
  EXPECT_EQ(copy.relation(0, 1), 0.5);
  Relation moved(std::move(copy));
  EXPECT_EQ(moved.relation(0, 1), 0.5);
  EXPECT_EQ(copy.inputs() + copy.nodes(), 0u);
  EXPECT_TRUE(copy.begin() == copy.end());
  copy = std::move(moved);
  EXPECT_EQ(copy.relation(0, 1), 0.5);

  copy.shrink();
  const Relation shrunk(copy);
  EXPECT_FALSE(shrunk.has_influence(1));
  EXPECT_EQ(shrunk.relation(1, 0), 0.5);
}

}  // namespace
