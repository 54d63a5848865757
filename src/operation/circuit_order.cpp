// Topological ordering, rebuilding in a given order, node removal and the rank analyses.
#include <algorithm>
#include <limits>
#include <stdexcept>

#include "operation/circuit.hpp"
#include "util/string.hpp"

namespace operation {
namespace {

// Marks a node that an order leaves out.
constexpr nid_t not_kept = std::numeric_limits<nid_t>::max();

// The error for `reader` reading the dropped node `source`. The read is traced back through dropped
// nodes to its cause, which the message names: a dropped node reading only kept nodes (such as an
// unassigned one), or two nodes of a combinational cycle.
std::runtime_error dropped_read_error(const Circuit& circuit, const std::vector<nid_t>& new_id, nid_t reader,
                                      nid_t source) {
  const auto dropped = [&](const arc_t& arc) { return new_id[arc.node] == not_kept; };
  std::vector<bool> visited(circuit.size(), false);
  visited[source] = true;
  for (;;) {
    const auto arcs = circuit[source].inputs();
    const auto next = std::find_if(arcs.begin(), arcs.end(), dropped);
    if (next == arcs.end()) break;
    reader = source;
    source = next->node;
    if (visited[source]) break;
    visited[source] = true;
  }
  return std::runtime_error(
      util::string::concat("Node `", circuit.name(reader), "` reads `", circuit.name(source),
                           "`, which is not kept (unassigned or on a combinational cycle)."));
}

}  // namespace

std::vector<nid_t> Circuit::topology_bfs() const {
  assert_fanout_lists_built();
  std::vector<nid_t> order;
  order.reserve(size_);
  const bool unread_fixed_node = fix_count_ == 1 && fanout_count(0) == 0;
  for (nid_t n = unread_fixed_node ? 1 : 0; n < data_count(); ++n) order.push_back(n);
  // A logic node joins the queue when the last of its input arcs has been passed; the countdown
  // spares the walk a look at the (much larger) node record of every consumer.
  std::vector<pos_t> arcs_pending(size_);
  for (nid_t n = 0; n < size_; ++n) arcs_pending[n] = input_count(n);
  for (std::size_t head = 0; head < order.size(); ++head)
    for (const arc_t& arc : fanouts(order[head])) {
      const nid_t consumer = arc.node;
      if (consumer < transfer_count() && --arcs_pending[consumer] == 0) order.push_back(consumer);
    }
  for (nid_t n = transfer_count(); n < size_; ++n) order.push_back(n);
  return order;
}

void Circuit::reorder(const std::vector<nid_t>& ord_id) {
  const auto identity = [&] {
    if (ord_id.size() != size_) return false;
    for (nid_t k = 0; k < size_; ++k)
      if (ord_id[k] != k) return false;
    return true;
  };
  if (identity()) return;

  const std::vector<nid_t> new_id = checked_new_ids(ord_id);
  Circuit rebuilt(ord_id.size());
  // Renumber the arcs and recount the fan-outs where the nodes stand, walking them in memory order,
  // then move the nodes to their new places.
  for (Node& node : nodes()) node.remove_fanout(node.fanout_count());
  bool sorted = true;
  for (nid_t n = 0; n < size_; ++n) {
    if (new_id[n] == not_kept) continue;
    for (arc_t& arc : nodes_[n].inputs()) {
      nodes_[arc.node].add_fanout(1);
      arc.node = new_id[arc.node];
      sorted = sorted && arc.node < new_id[n];
    }
  }
  for (const nid_t old : ord_id) rebuilt.emplace_node(std::move(nodes_[old]));
  rebuilt.sorted_ = sorted;
  move_from(rebuilt);
}

std::vector<nid_t> Circuit::checked_new_ids(const std::vector<nid_t>& ord_id) const {
  std::vector<nid_t> new_id(size_, not_kept);
  Circuit section_check;  // counts only, to raise the section messages
  for (std::size_t k = 0; k < ord_id.size(); ++k) {
    const nid_t old = ord_id[k];
    if (old >= size_)
      throw std::runtime_error(
          util::string::concat("Node order names node ", old, " of a circuit of ", size_, " nodes."));
    if (new_id[old] != not_kept)
      throw std::runtime_error(util::string::concat("Node order names node `", name(old), "` twice."));
    new_id[old] = static_cast<nid_t>(k);
    // The sections are in order, so the index tells the node's section without a look at the node.
    if (old < fix_count_)
      section_check.inc_fixed();
    else if (old < data_count())
      section_check.inc_input();
    else if (old < transfer_count())
      section_check.inc_logic();
    else
      section_check.inc_output();
  }
  for (nid_t n = 0; n < size_; ++n)
    if (new_id[n] != not_kept)
      for (const arc_t& arc : nodes_[n].inputs())
        if (new_id[arc.node] == not_kept) throw dropped_read_error(*this, new_id, n, arc.node);
  return new_id;
}

void Circuit::remove_nones() {
  remove_if([](const Node& node) { return node.gate() == gates::NONE; });
}

void Circuit::remove_wires() {
  assert_sorted();
  // In index order every wire is re-pointed before its readers, so a reader of a wire finds the
  // wire's final, non-wire source in the wire's own input arc.
  for (nid_t n = data_count(); n < size_; ++n) {
    for (arc_t& arc : nodes_[n].inputs()) {
      Node& source = nodes_[arc.node];
      if (source.gate() != gates::WIRE) continue;
      const auto& [origin, port, inverted] = source.get_input(0);
      arc = arc_t(origin, port, arc.inverted != inverted);
      nodes_[origin].add_fanout(1);
      source.remove_fanout(1);
    }
    if (nodes_[n].gate() == gates::WIRE) nodes_[nodes_[n].get_input(0).node].remove_fanout(1);
  }
  remove_if([](const Node& node) { return node.gate() == gates::WIRE && node.fanout_count() == 0; });
}

std::vector<nid_t> Circuit::get_ranks() const {
  assert_sorted();
  std::vector<nid_t> ranks{0, data_count()};
  for (nid_t i = data_count(); i < transfer_count(); ++i) {
    const auto reads_current_rank = [&](const arc_t& arc) { return arc.node >= ranks.back(); };
    const auto arcs = nodes_[i].inputs();
    if (std::any_of(arcs.begin(), arcs.end(), reads_current_rank)) ranks.push_back(i);
  }
  ranks.push_back(transfer_count());
  ranks.push_back(size_);
  return ranks;
}

std::vector<nid_t> Circuit::depths() const {
  assert_sorted();
  std::vector<nid_t> depth(size_, 0);
  for (nid_t n = data_count(); n < size_; ++n)
    for (const arc_t& arc : nodes_[n].inputs()) depth[n] = std::max(depth[n], depth[arc.node] + 1);
  return depth;
}

std::vector<std::uint64_t> Circuit::section_signals(const std::vector<nid_t>& ranks) const {
  assert_sorted();
  if (ranks.size() < 2 || ranks.size() > limits::max_nodes || ranks.back() > size_ ||
      !std::is_sorted(ranks.begin(), ranks.end()))
    throw std::runtime_error(
        "The rank list should hold at least two non-decreasing node indices, none above the circuit size.");
  const nid_t sections = static_cast<nid_t>(ranks.size() - 1);
  // The section of the first rank entry above a node: the first section after the node's own.
  const auto after_section = [&](nid_t node) {
    return static_cast<nid_t>(std::upper_bound(ranks.begin(), ranks.end(), node) - ranks.begin());
  };
  std::vector<std::uint64_t> counts(sections, 0);
  counts[0] = data_count();
  // A signal read two or more sections after its own is held by every section in between; the
  // last such reader's section (per node and port) is all that decides which sections hold it.
  pos_t ports = 0;
  for (const Node& node : nodes()) ports = std::max(ports, node.output_count());
  std::vector<nid_t> last_reader(siz_t{size_} * ports, 0);
  for (nid_t k = 0; k < sections; ++k)
    for (nid_t n = ranks[k]; n < ranks[k + 1]; ++n)
      for (const auto& [source, port, inverted] : nodes_[n].inputs()) {
        ++counts[k];
        if (after_section(source) < k) last_reader[siz_t{source} * ports + port] = k;
      }
  // Each held signal adds 1 to the sections [after_section(source), last reader): a difference array.
  std::vector<std::int64_t> held(siz_t{sections} + 1, 0);
  for (nid_t source = 0; source < size_; ++source)
    for (pos_t port = 0; port < ports; ++port)
      if (const nid_t last = last_reader[siz_t{source} * ports + port]; last != 0) {
        ++held[after_section(source)];
        --held[last];
      }
  std::int64_t running = 0;
  for (nid_t k = 0; k < sections; ++k) counts[k] += static_cast<std::uint64_t>(running += held[k]);
  return counts;
}

}  // namespace operation
