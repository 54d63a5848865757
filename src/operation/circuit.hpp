#pragma once

#include <cstdint>
#include <iterator>
#include <ostream>
#include <string_view>
#include <vector>

#include "operation/gate.hpp"
#include "operation/node.hpp"
#include "operation/operation.hpp"
#include "util/container.hpp"

namespace operation {

// A combinational circuit: one flat array of nodes in the section order fixed (constant-zero) node,
// primary inputs, logic nodes, primary-output markers. Every insertion checks the section order.
// Fan-out lists exist only between `build_fanout_lists` and `free_fanout_lists`. Move-only.
class Circuit {
 public:
  using node_range = util::container<Node*, const Node*>;
  using const_node_range = util::container<const Node*>;
  using fanout_range = util::container<const arc_t*>;

  // An empty circuit without storage.
  Circuit() = default;
  // An empty circuit with room for `capacity` nodes; throws std::runtime_error
  // "Too many nodes (N > 4294967295). Increase nid_t." before allocating when N is more.
  explicit Circuit(siz_t capacity);

  Circuit(Circuit&& other) noexcept { move_from(other); }
  Circuit& operator=(Circuit&& other) noexcept {
    move_from(other);
    return *this;
  }
  Circuit(const Circuit&) = delete;
  Circuit& operator=(const Circuit&) = delete;
  ~Circuit() { free(); }

  // Appends a node named `name` of gate `gate`; returns its index. Clears the sorted flag.
  // Throws when the section order would break (the counts stay unchanged) or the circuit is full.
  nid_t emplace_node(std::string_view name, Gate gate);
  // Appends `node`, moved in; returns its index. On failure `node` is left as it was.
  nid_t emplace_node(Node&& node);

  // Counts `node` in its section (ZERO: fixed, I: input, O: output, any other gate: logic).
  void update_counters(const Node& node);
  // Count one node of the section, after checking that no later section has begun.
  void inc_fixed();
  void inc_input();
  void inc_logic();
  void inc_output();

  Node& node(nid_t i) { return nodes_[i]; }
  const Node& node(nid_t i) const { return nodes_[i]; }
  Node& operator[](nid_t i) { return nodes_[i]; }
  const Node& operator[](nid_t i) const { return nodes_[i]; }
  Node& back() { return nodes_[size_ - 1]; }
  const Node& back() const { return nodes_[size_ - 1]; }

  // The nodes in use, in index order.
  node_range nodes() { return {begin(), end()}; }
  const_node_range nodes() const { return {begin(), end()}; }
  Node* begin() { return nodes_; }
  Node* end() { return nodes_ + size_; }
  const Node* begin() const { return nodes_; }
  const Node* end() const { return nodes_ + size_; }
  const Node* cbegin() const { return begin(); }
  const Node* cend() const { return end(); }
  std::reverse_iterator<Node*> rbegin() { return std::reverse_iterator(end()); }
  std::reverse_iterator<Node*> rend() { return std::reverse_iterator(begin()); }
  std::reverse_iterator<const Node*> rbegin() const { return std::reverse_iterator(end()); }
  std::reverse_iterator<const Node*> rend() const { return std::reverse_iterator(begin()); }
  std::reverse_iterator<const Node*> crbegin() const { return rbegin(); }
  std::reverse_iterator<const Node*> crend() const { return rend(); }

  nid_t size() const { return size_; }
  nid_t capacity() const { return capacity_; }
  nid_t fixed_count() const { return fix_count_; }
  nid_t input_count() const { return inp_count_; }
  nid_t logic_count() const { return log_count_; }
  nid_t output_count() const { return out_count_; }
  // The nodes that bring values into the circuit: the fixed node and the inputs.
  nid_t data_count() const { return fix_count_ + inp_count_; }
  // Every node but the output markers.
  nid_t transfer_count() const { return fix_count_ + inp_count_ + log_count_; }

  std::string_view name(nid_t i) const { return nodes_[i].name(); }
  Gate gate(nid_t i) const { return nodes_[i].gate(); }
  std::string_view gate_name(nid_t i) const { return nodes_[i].gate_name(); }
  pos_t input_count(nid_t i) const { return nodes_[i].input_count(); }
  pos_t output_count(nid_t i) const { return nodes_[i].output_count(); }
  nid_t fanout_count(nid_t i) const { return nodes_[i].fanout_count(); }

  // Lists, for every node, the arcs (consumer, port read, inverted) that read it, by increasing
  // consumer and then the consumer's port order. Replaces lists built before. Throws
  // std::runtime_error when a node's fan-out count differs from the number of arcs reading it.
  void build_fanout_lists();
  // Drops the fan-out lists (nothing happens when there are none).
  void free_fanout_lists();
  // The fan-out list of node i (`fanout_count(i)` arcs); the lists must be built.
  fanout_range fanouts(nid_t i) const { return {fou_lists_[i], fou_lists_[i + 1]}; }
  // Throws std::runtime_error "Run `build_fanout_lists` first." when the lists are not built.
  void assert_fanout_lists_built() const;

  // Whether the node order is known to be topological (every logic arc points backwards).
  bool sorted() const { return sorted_; }
  void set_sorted(bool sorted) { sorted_ = sorted; }
  // Throws std::runtime_error "The circuit should be topologically sorted." unless sorted.
  void assert_sorted() const;
  // Recomputes the sorted flag from the arcs and returns it.
  bool check_sorted();

  // A breadth-first topological order of the nodes (fan-out lists needed): the read sources
  // (the fixed node only when something reads it), logic nodes as their last input becomes
  // available, then the outputs. Logic nodes never reached (unassigned, or on or behind a
  // combinational cycle) are missing.
  std::vector<nid_t> topology_bfs() const;
  // Rebuilds the circuit in the order `ord_id` (entry k: the current index of the node to stand at
  // k); nodes not named are dropped, arcs and fan-out counts are renumbered and the sorted flag is
  // recomputed. The whole order is checked first, so a refused order leaves the circuit unchanged.
  void reorder(const std::vector<nid_t>& ord_id);
  // Removes every node for which `cond(node)` is true (no node may read a removed one).
  template <typename Cond>
  void remove_if(Cond cond);
  // Removes every node whose gate is NONE.
  void remove_nones();
  // Re-points every arc that reads a WIRE to the wire's first non-wire source, combining
  // inversions, and removes the wires. The circuit must be sorted.
  void remove_wires();
  // The rank list of a sorted circuit: 0, data_count(), the first index of every further logic
  // rank (no node reads a node of its own rank), transfer_count(), size().
  std::vector<nid_t> get_ranks() const;
  // The logic levels below each node of a sorted circuit: 0 for the constant and the inputs, one more
  // than its deepest input's for every other node.
  std::vector<nid_t> depths() const;
  // Per section of the rank list `ranks` of a sorted circuit: the arcs read by its nodes plus the
  // distinct signals produced before the section and read after it; section 0 also counts
  // data_count().
  std::vector<std::uint64_t> section_signals(const std::vector<nid_t>& ranks) const;

  // Forgets the nodes and the fan-out lists without freeing them; zeroes the counts.
  void release();
  // Frees the nodes and the fan-out lists, then releases.
  void free();
  // Copies capacity, size, the four section counts and the sorted flag.
  void copy_meta(const Circuit& other);
  // Frees this circuit and takes over everything `other` owns, leaving `other` empty.
  void move_from(Circuit& other);

 private:
  // The new index of every node under the order `ord_id` (the largest nid_t for dropped ones), after
  // checking that the entries are distinct nodes, keep the sections in order and that no kept node
  // reads a dropped one.
  std::vector<nid_t> checked_new_ids(const std::vector<nid_t>& ord_id) const;

  nid_t capacity_ = 0;   // node slots allocated
  nid_t size_ = 0;       // node slots in use
  nid_t fix_count_ = 0;  // fixed nodes: 0 or 1
  nid_t inp_count_ = 0;  // primary inputs
  nid_t log_count_ = 0;  // logic nodes
  nid_t out_count_ = 0;  // primary-output markers
  Node* nodes_ = nullptr;
  // Fan-out lists in one block: list i is [fou_lists_[i], fou_lists_[i + 1]); size_ + 1 entries.
  arc_t** fou_lists_ = nullptr;
  bool sorted_ = false;
};

// Writes one line per node: "name = GATE( src_port , ~src_port )"; a WIRE's gate name is left out.
std::ostream& operator<<(std::ostream& out, const Circuit& circuit);

template <typename Cond>
void Circuit::remove_if(Cond cond) {
  std::vector<nid_t> kept;
  kept.reserve(size_);
  for (nid_t i = 0; i < size_; ++i)
    if (!cond(nodes_[i])) kept.push_back(i);
  if (kept.size() != size_) reorder(kept);
}

}  // namespace operation
