#pragma once

#include <cstdint>
#include <vector>

#include "operation/circuit.hpp"
#include "support/failure.hpp"

namespace fuzz {

// Fails unless `circuit` keeps the invariants that every later phase relies on: the nodes stand in
// section order (at most one fixed node, inputs, logic, outputs) and fill the counted sections;
// every arc reads an existing node's existing output port; every fan-out count equals the number
// of arcs that read the node; a circuit marked sorted has every logic arc pointing backwards.
inline void check_invariants(const operation::Circuit& circuit) {
  using namespace operation;
  check(circuit.size() <= circuit.capacity(), "size ", circuit.size(), " above capacity ",
        circuit.capacity());
  check(circuit.fixed_count() <= 1, "fixed nodes: ", circuit.fixed_count());
  check(std::uint64_t{circuit.transfer_count()} + circuit.output_count() == circuit.size(),
        "section counts do not add up to the size");
  std::vector<std::uint64_t> readers(circuit.size(), 0);
  for (nid_t i = 0; i < circuit.size(); ++i) {
    const Gate gate = circuit.gate(i);
    if (i < circuit.fixed_count())
      check(gate == gates::ZERO, "node ", i, " in the fixed section is ", gate.name());
    else if (i < circuit.data_count())
      check(gate == gates::I, "node ", i, " in the input section is ", gate.name());
    else if (i < circuit.transfer_count())
      check(!gate.in(gates::ZERO, gates::I, gates::O), "node ", i, " in the logic section is ", gate.name());
    else
      check(gate == gates::O, "node ", i, " in the output section is ", gate.name());
    for (const auto& [source, port, inverted] : circuit[i].inputs()) {
      check(source < circuit.size(), "node ", i, " reads node ", source, " of ", circuit.size());
      check(port < circuit.output_count(source), "node ", i, " reads port ", +port, " of node ", source,
            ", which has ", +circuit.output_count(source));
      check(!circuit.sorted() || i < circuit.data_count() || source < i, "sorted, but node ", i,
            " reads node ", source);
      ++readers[source];
    }
  }
  for (nid_t i = 0; i < circuit.size(); ++i)
    check(readers[i] == circuit.fanout_count(i), "node ", i, " has fan-out count ", circuit.fanout_count(i),
          " but ", readers[i], " readers");
}

}  // namespace fuzz
