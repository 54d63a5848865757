#include "simulation/kept_tables.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../operation/circuit_text.hpp"

namespace {

using operation::Circuit;
using simulation::kept_tables;

// The names of the gates a choice covers, and of those whose tables it stores, in node order.
std::string covered(const Circuit& circuit, const kept_tables& kept, bool stored) {
  std::string names;
  for (operation::nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n)
    if (stored ? kept.stored(n) : kept.kept(n)) names += std::string(circuit.name(n)) + ' ';
  return names;
}

// Var inputs v0 (changes most often) and v1, use input u. g0 and g1 depend on no var input (g1
// alone is read by a gate that does), g2 on v1, g3 and g4 on v0 and v1; w is a wire.
const Circuit circuit = circuit_text::parse(
    {"v0 = I", "v1 = I", "u = I", "g0 = AND( u_0 , ~u_0 )", "g1 = OR( g0_0 , u_0 )", "g2 = AND( g1_0 , v1_0 )",
     "w = ( g2_0 )", "g3 = XOR( w_0 , v0_0 )", "g4 = OR( g3_0 , g2_0 )", "o-0 = O( g4_0 )"});
const std::vector<std::uint32_t> var_nodes{0, 1};
const simulation::port_readers circuit_ports(circuit);

}  // namespace

TEST(KeptTables, CoversTheGatesWhoseVarInputsChangeLeastOftenWithinTheBudget) {
  ASSERT_EQ(circuit.name(0), "v0");
  // Everything fits: g0 is dropped after its only reader, which depends on no var input either.
  const kept_tables all(circuit, circuit_ports, var_nodes, 100);
  EXPECT_TRUE(all.all());
  EXPECT_EQ(covered(circuit, all, false), "g0 g1 g2 w g3 g4 ");
  EXPECT_EQ(covered(circuit, all, true), "g1 g2 w g3 g4 ");
  EXPECT_EQ(all.stored_tables(), 4u);
  // Two tables: g1 and g2 (g3 and g4 depend on v0 and come together, or not at all).
  const kept_tables two(circuit, circuit_ports, var_nodes, 2);
  EXPECT_EQ(covered(circuit, two, false), "g0 g1 g2 w ");
  EXPECT_EQ(covered(circuit, two, true), "g1 g2 w ");
  EXPECT_EQ(two.kept_gates(), 3u);
  EXPECT_EQ(kept_tables(circuit, circuit_ports, var_nodes, 3).kept_gates(), 3u);
  // One table: only the gates without var inputs.
  EXPECT_EQ(covered(circuit, kept_tables(circuit, circuit_ports, var_nodes, 1), false), "g0 g1 ");
  const kept_tables none(circuit, circuit_ports, var_nodes, 0);
  EXPECT_TRUE(none.none());
  EXPECT_EQ(covered(circuit, none, false), "");
  EXPECT_EQ(covered(circuit, kept_tables(circuit), false), "");
}

TEST(KeptTables, ACircuitOfWiresIsCoveredWhole) {
  const Circuit wires = circuit_text::parse({"a = I", "w = ( ~a_0 )", "x = ( w_0 )", "o-0 = O( x_0 )"});
  const kept_tables kept(wires, simulation::port_readers(wires), std::vector<std::uint32_t>{0}, 0);
  EXPECT_TRUE(kept.all());
  EXPECT_EQ(covered(wires, kept, false), "w x ");
  // Without var inputs w is dropped after x reads it: not every table is stored, though no gate
  // computes one.
  const kept_tables use_only(wires, simulation::port_readers(wires), std::vector<std::uint32_t>{}, 0);
  EXPECT_EQ(covered(wires, use_only, true), "x ");
  EXPECT_FALSE(use_only.all_stored());
}

TEST(KeptTables, UncoveredPortsCountAsUnchangedWhenNoChangedVarInputReachesThem) {
  using ports = std::pair<std::uint64_t, std::uint64_t>;  // uncovered, unreached
  const auto counts = [](const kept_tables& kept, std::uint64_t changed, std::uint64_t first, std::uint64_t end) {
    const kept_tables::uncovered_ports ports = kept.ports_not_covered(changed, first, end);
    return std::pair(ports.count, ports.unreached);
  };
  // Ports in node order: v0, v1, u, g0, g1, g2, w, g3, g4. With one table g2, w, g3 and g4 are
  // uncovered; v0 reaches g3 and g4, v1 all four.
  const kept_tables one(circuit, circuit_ports, var_nodes, 1);
  EXPECT_EQ(counts(one, 0b01, 0, 9), ports(4, 2));
  EXPECT_EQ(counts(one, 0b10, 0, 9), ports(4, 0));
  EXPECT_EQ(counts(one, 0b11, 0, 9), ports(4, 0));
  // A part of the ports (a batch stopped by the time limit) is counted port by port.
  EXPECT_EQ(counts(one, 0b01, 0, 6), ports(1, 1));
  EXPECT_EQ(counts(one, 0b01, 6, 9), ports(3, 1));
  // With nothing covered, the gates without var inputs are never reached.
  EXPECT_EQ(counts(kept_tables(circuit, circuit_ports, var_nodes, 0), 0b01, 0, 9), ports(6, 4));
  EXPECT_EQ(counts(kept_tables(circuit, circuit_ports, var_nodes, 100), 0b01, 0, 9), ports(0, 0));
}
