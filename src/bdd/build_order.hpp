#pragma once

#include <vector>

#include "operation/circuit.hpp"

namespace symbolic {

// The order in which to build the logic nodes' diagrams: each node after the nodes it reads, as a
// depth-first walk from the outputs (in position order, the deeper input first) leaves them, so that
// a diagram is read soon after it is built and few diagrams are alive at once; logic nodes that no
// output reads follow in position order. The circuit must be sorted.
std::vector<operation::nid_t> build_order(const operation::Circuit& circuit);

}  // namespace symbolic
