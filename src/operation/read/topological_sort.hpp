#pragma once

#include "operation/circuit.hpp"

namespace operation {

// Sorts a circuit read from a netlist topologically, as every program does before it works on it:
// builds the fan-out lists, takes the breadth-first order, frees the lists and reorders. A node that
// reads an unassigned node or lies on a combinational cycle makes the netlist malformed: throws
// ReadException "Node `…` reads `…`, which is not kept (unassigned or on a combinational cycle).".
void sort_topologically(Circuit& circuit);

}  // namespace operation
