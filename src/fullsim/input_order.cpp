#include "fullsim/input_order.hpp"

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <stdexcept>
#include <utility>

#include "fullsim/phase.hpp"
#include "reach.hpp"
#include "util/string.hpp"

namespace fullsim {

using operation::Circuit;
using operation::nid_t;

namespace {

// Sorts `order` so that key[entry] ascends, keeping the relative order of equal keys.
void sort_by_key(std::vector<nid_t>& order, const std::vector<nid_t>& key) {
  std::stable_sort(order.begin(), order.end(), [&](nid_t a, nid_t b) { return key[a] < key[b]; });
}

}  // namespace

std::vector<nid_t> reach_counts(const Circuit& circ, const std::vector<nid_t>& ranks) {
  const nid_t fix_count = circ.fixed_count();
  const nid_t inp_count = circ.input_count();
  Reach reach(inp_count, circ.transfer_count());
  for (nid_t k = 0; k < inp_count; ++k) reach.set(fix_count + k, k);
  // The logic levels in order: every row is complete before a reader of its node takes it.
  const nid_t first_logic = ranks[1];
  const nid_t end_logic = ranks[ranks.size() - 2];
  for (nid_t n = first_logic; n < end_logic; ++n)
    for (const auto& [source, port, inverted] : circ[n].inputs()) reach.make_union(n, n, source);
  return reach.count_cols(0);
}

void reach_sort(const Circuit& circ, const std::vector<nid_t>& ranks, std::vector<nid_t>& order) {
  sort_by_key(order, reach_counts(circ, ranks));
}

void fanout_sort(const Circuit& circ, std::vector<nid_t>& order) {
  std::vector<nid_t> fanouts(circ.input_count());
  for (nid_t k = 0; k < circ.input_count(); ++k) fanouts[k] = circ.fanout_count(circ.fixed_count() + k);
  sort_by_key(order, fanouts);
}

namespace {

// The input indices in the order in which a depth-first walk from the outputs (in position order)
// first reaches them, following each node's inputs in the order `ports_of(n, ports)` puts them into
// `ports` (its input count entries); inputs no output reads come last, by index.
template <typename PortOrder>
std::vector<nid_t> depth_first_walk(const Circuit& circ, PortOrder ports_of) {
  constexpr std::size_t most_inputs = 3;  // of any gate of the catalogue
  const nid_t fix_count = circ.fixed_count();
  std::vector<nid_t> order;
  order.reserve(circ.input_count());
  std::vector<bool> visited(circ.size(), false);
  // The pending nodes, each with its inputs' ports in walking order and how many were followed.
  struct pending {
    nid_t node;
    std::array<operation::pos_t, most_inputs> ports;
    operation::pos_t followed;
  };
  std::vector<pending> stack;
  const auto visit = [&](nid_t n) {
    visited[n] = true;
    pending entry{n, {}, 0};
    ports_of(n, std::span(entry.ports.data(), circ.input_count(n)));
    stack.push_back(entry);
  };
  for (nid_t output = circ.transfer_count(); output < circ.size(); ++output) {
    visit(output);
    while (!stack.empty()) {
      pending& top = stack.back();
      if (top.followed == circ.input_count(top.node)) {
        stack.pop_back();
        continue;
      }
      const nid_t source = circ[top.node].get_input(top.ports[top.followed++]).node;
      if (visited[source]) continue;
      if (circ.gate(source) == operation::gates::I) order.push_back(source - fix_count);
      visit(source);
    }
  }
  for (nid_t k = 0; k < circ.input_count(); ++k)
    if (!visited[fix_count + k]) order.push_back(k);
  return order;
}

// The number of logic levels below each node: 0 for constants and inputs, one more than its
// deepest input for a gate. The circuit must be sorted.
std::vector<nid_t> depths(const Circuit& circ) {
  std::vector<nid_t> depth(circ.size(), 0);
  for (nid_t n = circ.data_count(); n < circ.size(); ++n)
    for (const auto& [source, port, inverted] : circ[n].inputs())
      depth[n] = std::max(depth[n], depth[source] + 1);
  return depth;
}

}  // namespace

std::vector<nid_t> depth_first_order(const Circuit& circ) {
  return depth_first_walk(circ, [](nid_t, std::span<operation::pos_t> ports) {
    std::iota(ports.begin(), ports.end(), operation::pos_t{0});
  });
}

std::vector<nid_t> deeper_first_order(const Circuit& circ) {
  const std::vector<nid_t> depth = depths(circ);
  return depth_first_walk(circ, [&](nid_t n, std::span<operation::pos_t> ports) {
    std::iota(ports.begin(), ports.end(), operation::pos_t{0});
    std::stable_sort(ports.begin(), ports.end(), [&](operation::pos_t a, operation::pos_t b) {
      return depth[circ[n].get_input(a).node] > depth[circ[n].get_input(b).node];
    });
  });
}

std::vector<nid_t> breadth_first_order(const Circuit& circ) {
  const nid_t fix_count = circ.fixed_count();
  std::vector<nid_t> order;
  order.reserve(circ.input_count());
  std::vector<bool> visited(circ.size(), false);
  std::vector<nid_t> queue;
  queue.reserve(circ.size());
  for (nid_t output = circ.size(); output-- > circ.transfer_count();) {
    queue.push_back(output);
    visited[output] = true;
  }
  for (std::size_t next = 0; next < queue.size(); ++next) {
    for (const auto& [source, port, inverted] : circ[queue[next]].inputs()) {
      if (visited[source]) continue;
      visited[source] = true;
      if (circ.gate(source) == operation::gates::I) order.push_back(source - fix_count);
      queue.push_back(source);
    }
  }
  for (nid_t k = 0; k < circ.input_count(); ++k)
    if (!visited[fix_count + k]) order.push_back(k);
  return order;
}

std::vector<nid_t> order_inputs(const Circuit& circ, const std::vector<nid_t>& ranks, std::string_view method,
                                std::ostream& out) {
  std::vector<nid_t> order(circ.input_count());
  std::iota(order.begin(), order.end(), nid_t{0});
  if (method == "reach") {
    const util::phase finding = phase("finding inputs' reach", out);
    reach_sort(circ, ranks, order);
    finding.end();
  } else if (method == "fanouts") {
    fanout_sort(circ, order);
  } else if (method == "depth") {
    order = depth_first_order(circ);
  } else if (method == "depth-level") {
    order = deeper_first_order(circ);
  } else if (method == "breadth") {
    order = breadth_first_order(circ);
  } else if (method != "no") {
    throw std::invalid_argument(util::string::concat("Unknown input order `", method, "`."));
  }
  return order;
}

}  // namespace fullsim
