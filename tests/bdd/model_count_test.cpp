#include "bdd/model_count.hpp"

#include <gtest/gtest.h>

#include <random>

#include "bdd/gate_counts.hpp"
#include "operation/gate.hpp"

namespace {

using symbolic::count_t;
using symbolic::diagram;

// Whether assignment `bits` (bit v: variable v) satisfies the diagram, by walking it.
bool satisfies(const diagram& f, std::uint64_t bits) {
  int root = f.root();
  while (root != diagram::false_root && root != diagram::true_root) {
    const symbolic::diagram_node node = symbolic::node_of(root);
    root = ((bits >> node.var) & 1) != 0 ? node.high : node.low;
  }
  return root == diagram::true_root;
}

// Random functions of 6 variables as random combinations of variables: the count is the number of
// satisfying assignments, also for diagrams that skip levels.
TEST(ModelCounter, CountsEqualCheckingEveryAssignment) {
  constexpr std::uint32_t variables = 6;
  symbolic::diagram_session session(variables, {1 << 16, 1 << 20}, false);
  symbolic::model_counter counter(variables);
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    diagram f = diagram::variable(random() % variables);
    for (int step = 0; step < 4; ++step) {
      const diagram g = diagram::variable(random() % variables);
      f = random() % 2 == 0 ? conjunction(f, g) : negation(conjunction(negation(f), negation(g)));
      if (random() % 3 == 0) f = negation(f);
    }
    count_t expected = 0;
    for (std::uint64_t bits = 0; bits < (1u << variables); ++bits) expected += satisfies(f, bits) ? 1 : 0;
    EXPECT_EQ(counter.count(f), expected);
  }
  EXPECT_EQ(counter.count(diagram::constant(true)), 64);
  EXPECT_EQ(counter.count(diagram::constant(false)), 0);
}

TEST(ModelCounter, CountsOfManyVariablesAreExact) {
  constexpr std::uint32_t variables = 200;
  symbolic::diagram_session session(variables, {1 << 16, 1 << 20}, true);
  symbolic::model_counter counter(variables);
  diagram all_true = diagram::constant(true);
  for (std::uint32_t v = 0; v < variables; v += 2) all_true = conjunction(all_true, diagram::variable(v));
  EXPECT_EQ(counter.count(all_true), count_t(1) << (variables / 2));
  EXPECT_EQ(counter.count(diagram::variable(199)), count_t(1) << (variables - 1));
}

// Every gate kind with every pattern of inverted arcs, over variables that are its inputs (some
// read twice): the ports' functions follow the catalogue's truth table, and the counts are those
// of checking the 2^3 assignments.
TEST(GateCounts, EveryKindAndInversionFollowsTheTruthTable) {
  constexpr std::uint32_t variables = 3;
  symbolic::diagram_session session(variables, {1 << 16, 1 << 20}, false);
  symbolic::model_counter counter(variables);
  const count_t all = count_t(1) << variables;
  for (operation::gid_t id = 0; id < operation::gates::count; ++id) {
    const operation::Gate gate = *operation::gates::list[id];
    const std::size_t n = gate.input_count();
    for (std::uint32_t reads = 0; reads < 2; ++reads) {  // 1: input k reads variable k % 2
      for (unsigned inverted = 0; inverted < (1u << n); ++inverted) {
        std::vector<diagram> functions;
        std::vector<count_t> models;
        for (std::size_t k = 0; k < n; ++k) functions.push_back(diagram::variable(reads == 1 ? k % 2 : k));
        for (const diagram& f : functions) models.push_back(counter.count(f));
        std::vector<symbolic::gate_input> inputs;
        for (std::size_t k = 0; k < n; ++k)
          inputs.push_back({&functions[k], &models[k], ((inverted >> (n - 1 - k)) & 1) != 0});
        const std::vector<diagram> ports = symbolic::output_diagrams(gate, inputs);
        std::vector<count_t> expected(std::size_t{1} << n, 0);
        for (std::uint64_t bits = 0; bits < all; ++bits) {
          unsigned combination = 0;
          for (std::size_t k = 0; k < n; ++k)
            combination = combination << 1 | (satisfies(functions[k], bits) != inputs[k].inverted);
          ++expected[combination];
          const unsigned output = gate.output_combination(combination);
          for (std::size_t p = 0; p < ports.size(); ++p)
            EXPECT_EQ(satisfies(ports[p], bits), ((output >> (ports.size() - 1 - p)) & 1) != 0)
                << gate.name() << " port " << p << " inverted " << inverted;
        }
        if (n > 0) {
          EXPECT_EQ(symbolic::combination_counts(inputs, all, counter), expected) << gate.name();
        }
      }
    }
  }
}

// A node table that runs full ends the building with an exception, not the process.
TEST(DiagramSession, AFullNodeTableThrows) {
  constexpr std::uint32_t variables = 40;
  symbolic::diagram_session session(variables, {3000, 3000}, false);
  diagram f = diagram::constant(false);
  auto grow = [&] {
    for (std::uint32_t v = 0; v < variables / 2; ++v)
      f = negation(conjunction(
          negation(f), negation(conjunction(diagram::variable(v), diagram::variable(variables - 1 - v)))));
  };
  EXPECT_THROW(grow(), symbolic::diagrams_exhausted);
}

}  // namespace
