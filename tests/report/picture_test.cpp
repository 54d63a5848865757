#include "report/picture.hpp"

#include <gtest/gtest.h>

#include "../operation/circuit_text.hpp"
#include "operation/read/topological_sort.hpp"
#include "report/file_error.hpp"

namespace {

report::gate_result gate(const char* name, double bits) {
  return {name, std::to_string(bits), std::nullopt, "2", "1", bits};
}

// Inputs a, b, c; level 1: g1 (AND), g2 (XOR); level 2: g3 (OR of g1, g2), w (a wire of g3 at level 3).
operation::Circuit circuit() {
  operation::Circuit made =
      circuit_text::parse({"a = I", "b = I", "c = I", "g1 = AND( a_0 , b_0 )", "g2 = XOR( b_0 , c_0 )",
                           "g3 = OR( g1_0 , g2_0 )", "w = ( g3_0 )", "o = O( w_0 )"});
  operation::sort_topologically(made);
  return made;
}

}  // namespace

TEST(Picture, EnergyByKindLevelAndCost) {
  const operation::Circuit sorted = circuit();
  report::results found;
  found.gates = {gate("g1", 1.0), gate("g2", 0.0), gate("g3", 2.0)};
  found.total = "3.0";
  const report::picture drawn = report::draw_picture(sorted, found, "energy.csv");

  EXPECT_EQ(drawn.size.inputs, 3u);
  EXPECT_EQ(drawn.size.gates, 4u);
  EXPECT_EQ(drawn.size.levels, 3u);
  EXPECT_EQ(drawn.estimate, 6u);  // AND, XOR, OR 2 each; the wire 0
  ASSERT_EQ(drawn.kinds.size(), 4u);
  EXPECT_EQ(drawn.kinds[0].kind, "OR");
  EXPECT_EQ(drawn.kinds[0].bits, 2.0);
  EXPECT_EQ(drawn.kinds[1].kind, "AND");
  EXPECT_EQ(drawn.kinds[3].gates, 1u);  // the wire, which loses nothing

  ASSERT_EQ(drawn.levels.size(), 3u);
  EXPECT_EQ(drawn.levels[0].gates, 2u);
  EXPECT_EQ(drawn.levels[0].bits, 1.0);
  EXPECT_EQ(drawn.levels[1].bits, 2.0);
  EXPECT_EQ(drawn.levels[2].gates, 0u);

  ASSERT_EQ(drawn.costliest.size(), 3u);
  EXPECT_EQ(drawn.costliest[0].result->name, "g3");
  EXPECT_EQ(drawn.costliest[0].level, 2u);
  EXPECT_EQ(drawn.costliest[2].kind, "XOR");

  ASSERT_EQ(drawn.cumulative.size(), 3u);
  EXPECT_DOUBLE_EQ(drawn.cumulative[0].share, 2.0 / 3);
  EXPECT_DOUBLE_EQ(drawn.cumulative[2].share, 1.0);
  ASSERT_EQ(drawn.concentrations.size(), 3u);
  EXPECT_EQ(drawn.concentrations[0].gates, 1u);  // 1 % of 3 gates: at least one
  EXPECT_EQ(drawn.concentrations[2].gates, 2u);
  EXPECT_DOUBLE_EQ(drawn.concentrations[2].share, 1.0);

  std::uint64_t counted = 0;
  for (const report::histogram_bin& bin : drawn.histogram) counted += bin.gates;
  EXPECT_EQ(counted, 3u);
  EXPECT_EQ(drawn.histogram.back().gates, 1u);  // the largest energy falls into the last bin
}

TEST(Picture, ManyGatesMakeAThinnedCurveThatEndsAtEveryGate) {
  std::vector<std::string> lines = {"a = I", "b = I"};
  report::results found;
  for (int g = 0; g < 1001; ++g) {
    const std::string name = "g" + std::to_string(g);
    lines.push_back(name + " = AND( a_0 , b_0 )");
    found.gates.push_back(gate("", 1.0));
    found.gates.back().name = name;
  }
  found.total = "1001";
  operation::Circuit many = circuit_text::parse(lines);
  operation::sort_topologically(many);
  const report::picture drawn = report::draw_picture(many, found, "energy.csv");
  EXPECT_LE(drawn.cumulative.size(), report::cumulative_points);
  EXPECT_EQ(drawn.cumulative.back().gates, 1001u);
  EXPECT_EQ(drawn.costliest.size(), report::costliest_shown);
  // The bins span 0 to the largest energy: equal energies all fall into the last.
  EXPECT_EQ(drawn.histogram.back().gates, 1001u);
}

TEST(Picture, RefusesResultsOfAnotherNetlist) {
  const operation::Circuit sorted = circuit();
  report::results found;
  found.gates = {gate("g1", 1.0), gate("a", 1.0)};  // an input is no gate
  found.total = "2";
  EXPECT_THROW(report::draw_picture(sorted, found, "energy.csv"), report::file_error);
}

TEST(Picture, CircuitWithoutLossyGates) {
  operation::Circuit pass = circuit_text::parse({"a = I", "o = O( a_0 )"});
  operation::sort_topologically(pass);
  report::results found;
  found.total = "0";
  const report::picture drawn = report::draw_picture(pass, found, "energy.csv");
  EXPECT_EQ(drawn.size.levels, pass.get_ranks().size() - 3);  // as fullsim counts them
  EXPECT_TRUE(drawn.histogram.empty());
  EXPECT_TRUE(drawn.cumulative.empty());
  EXPECT_TRUE(drawn.costliest.empty());
}
