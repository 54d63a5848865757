#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "operation/circuit.hpp"

namespace simulation {

// The output ports of a sorted circuit's constant, input and logic nodes, numbered in node order
// (port p of node n is number `index(n, p)`), and for each port the logic nodes that read it. The
// simulation uses it to evaluate only the readers of ports that changed, and to know how many
// logic arcs read a port before its table may go.
class port_readers {
 public:
  explicit port_readers(const operation::Circuit& circuit);

  // The number of port p of node n.
  std::uint64_t index(operation::nid_t n, operation::pos_t p) const { return first_port_[n] + p; }
  // The number of ports of the nodes before n.
  std::uint64_t ports_before(operation::nid_t n) const { return first_port_[n]; }
  // The logic nodes that read port p of node n, in position order; a node that reads the port
  // through several arcs is listed once.
  std::span<const operation::nid_t> readers(operation::nid_t n, operation::pos_t p) const {
    const std::uint64_t port = index(n, p);
    return {readers_.data() + first_reader_[port], readers_.data() + first_reader_[port + 1]};
  }
  // For every port, the number of logic arcs that read it.
  const std::vector<operation::nid_t>& arc_counts() const { return arc_counts_; }

 private:
  std::vector<std::uint64_t> first_port_;    // per node, and the total at the end
  std::vector<std::uint64_t> first_reader_;  // per port, and the total at the end
  std::vector<operation::nid_t> readers_;
  std::vector<operation::nid_t> arc_counts_;
};

}  // namespace simulation
