#pragma once

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <vector>

#include "operation/circuit.hpp"

// Depth-first walks of a circuit from its outputs, which order inputs (for decision diagrams and
// enumeration) and gates (for building diagrams) by how the outputs use them.
namespace operation {

// Follows each node's inputs in port order.
struct in_port_order {
  void operator()(nid_t, std::span<pos_t> ports) const { std::iota(ports.begin(), ports.end(), pos_t{0}); }
};

// Follows each node's inputs deepest first (the most logic levels below them), equal depths in port
// order. The circuit must be sorted and outlive the object.
class deeper_inputs_first {
 public:
  explicit deeper_inputs_first(const Circuit& circ) : circ_(circ), depth_(circ.depths()) {}

  void operator()(nid_t n, std::span<pos_t> ports) const {
    std::iota(ports.begin(), ports.end(), pos_t{0});
    std::stable_sort(ports.begin(), ports.end(), [&](pos_t a, pos_t b) {
      return depth_[circ_[n].get_input(a).node] > depth_[circ_[n].get_input(b).node];
    });
  }

 private:
  const Circuit& circ_;
  std::vector<nid_t> depth_;
};

// Walks depth-first from every output in position order, following each node's inputs in the order
// `ports_of(n, ports)` writes into `ports` (its input count entries). Calls `enter(n)` when node n is
// first reached and `leave(n)` once every node it reads has been left, so `leave` sees the nodes
// in a topological order. Nodes no output reads are not visited.
template <typename PortOrder, typename Enter, typename Leave>
void walk_from_outputs(const Circuit& circ, const PortOrder& ports_of, Enter enter, Leave leave) {
  constexpr std::size_t most_inputs = 3;  // of any gate of the catalogue
  struct pending {
    nid_t node;
    std::array<pos_t, most_inputs> ports;
    pos_t followed;
  };
  std::vector<bool> visited(circ.size(), false);
  std::vector<pending> stack;
  const auto visit = [&](nid_t n) {
    visited[n] = true;
    enter(n);
    pending entry{n, {}, 0};
    ports_of(n, std::span(entry.ports.data(), circ.input_count(n)));
    stack.push_back(entry);
  };
  for (nid_t output = circ.transfer_count(); output < circ.size(); ++output) {
    if (visited[output]) continue;
    visit(output);
    while (!stack.empty()) {
      pending& top = stack.back();
      if (top.followed == circ.input_count(top.node)) {
        leave(top.node);
        stack.pop_back();
        continue;
      }
      const nid_t source = circ[top.node].get_input(top.ports[top.followed++]).node;
      if (!visited[source]) visit(source);
    }
  }
}

}  // namespace operation
