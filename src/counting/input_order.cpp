#include "counting/input_order.hpp"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "operation/depth_first.hpp"
#include "reach.hpp"
#include "util/phase.hpp"
#include "util/string.hpp"

namespace counting {

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

// The input indices in the order in which a walk from the outputs following inputs as `ports_of`
// puts them first reaches them; inputs no output reads come last, by index.
template <typename PortOrder>
std::vector<nid_t> inputs_as_reached(const Circuit& circ, const PortOrder& ports_of) {
  std::vector<nid_t> order;
  order.reserve(circ.input_count());
  std::vector<bool> reached(circ.input_count(), false);
  operation::walk_from_outputs(
      circ, ports_of,
      [&](nid_t n) {
        if (circ.gate(n) != operation::gates::I) return;
        order.push_back(n - circ.fixed_count());
        reached[n - circ.fixed_count()] = true;
      },
      [](nid_t) {});
  for (nid_t k = 0; k < circ.input_count(); ++k)
    if (!reached[k]) order.push_back(k);
  return order;
}

}  // namespace

std::vector<nid_t> depth_first_order(const Circuit& circ) {
  return inputs_as_reached(circ, operation::in_port_order{});
}

std::vector<nid_t> deeper_first_order(const Circuit& circ) {
  return inputs_as_reached(circ, operation::deeper_inputs_first(circ));
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
    const util::phase finding("finding inputs' reach", ": time = ", out);
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

}  // namespace counting
