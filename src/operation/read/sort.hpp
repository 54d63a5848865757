#pragma once

#include "operation/circuit.hpp"

namespace operation {

// Sorts a circuit just read into breadth-first topological order (fan-out lists, `topology_bfs`,
// `reorder`), dropping unread unset nodes and an unread fixed node. A netlist in which a kept node
// reads a node the order leaves out (an unassigned signal, or a combinational cycle) cannot be
// sorted: throws ReadException "Node `…` reads `…`, which is not kept (…)." and leaves the
// circuit as read.
void sort_topologically(Circuit& circuit);

}  // namespace operation
