#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "operation/circuit.hpp"

namespace simulation {

// The logic nodes of a sorted circuit as the batch loop reads them: each one's gate and input
// arcs, in position order, the arcs of all of them in one array. Evaluating the gates in order
// then reads their arcs sequentially, where the nodes' own arc lists lie wherever the reader
// happened to allocate them.
class gate_sequence {
 public:
  explicit gate_sequence(const operation::Circuit& circuit);

  // The gate of logic node n.
  operation::Gate gate(operation::nid_t n) const { return gates_[n - first_]; }
  // The input arcs of logic node n, in port order.
  std::span<const operation::arc_t> inputs(operation::nid_t n) const {
    return {arcs_.data() + first_arc_[n - first_], arcs_.data() + first_arc_[n - first_ + 1]};
  }

 private:
  operation::nid_t first_;                 // the position of the first logic node
  std::vector<operation::Gate> gates_;      // per logic node
  std::vector<std::uint64_t> first_arc_;    // per logic node, and the total at the end
  std::vector<operation::arc_t> arcs_;
};

}  // namespace simulation
