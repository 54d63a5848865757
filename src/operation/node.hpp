#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "operation/gate.hpp"
#include "operation/operation.hpp"
#include "util/container.hpp"

namespace operation {

// The error text for a node name longer than `limits::max_node_name` characters.
inline constexpr std::string_view name_too_long = "Name too long. Increase nns_t.";

// One node of a circuit: a name, a gate kind and one input arc per input port of the gate, plus
// the number of arcs in the circuit that read the node. The record is packed (22 bytes) because
// circuits hold millions of nodes; its members are only ever read and written by value, never
// through references or pointers to them, so no misaligned access arises. Move-only.
#pragma pack(push, 1)
class Node {
 public:
  using arc_range = util::container<arc_t*, const arc_t*>;
  using const_arc_range = util::container<const arc_t*>;
  using reverse_arc_range =
      util::container<std::reverse_iterator<arc_t*>, std::reverse_iterator<const arc_t*>>;
  using const_reverse_arc_range = util::container<std::reverse_iterator<const arc_t*>>;

  // An empty node: no name, gate NONE, no arcs, fan-out 0.
  Node() = default;
  // A node named `name` (copied) of gate `gate` whose arcs all read (0, 0, false); fan-out 0.
  // Throws std::runtime_error "Name too long. Increase nns_t." for names of 256 characters or more.
  Node(std::string_view name, Gate gate);

  Node(Node&& other) noexcept { move_from(other); }
  Node& operator=(Node&& other) noexcept {
    move_from(other);
    return *this;
  }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  ~Node() { free(); }

  // Gives a NONE node its gate and a fresh arc array of (0, 0, false) arcs; throws
  // std::runtime_error "Cannot change gate, except from NONE." for any other node.
  void set_gate(Gate gate);

  // Makes input port `inp` read `arc`. The caller keeps the source's fan-out count right.
  void set_input(pos_t inp, const arc_t& arc) { inp_list_[inp] = arc; }
  // Makes input port `inp` read output port `pos` of node `nid`, complemented when `inv`.
  void set_input(pos_t inp, nid_t nid, pos_t pos, bool inv) { inp_list_[inp] = arc_t(nid, pos, inv); }
  // The arc of input port `inp`.
  const arc_t& get_input(pos_t inp) const { return inp_list_[inp]; }
  // The arc of input port `inp`, taken apart.
  void get_input(pos_t inp, nid_t& nid, pos_t& pos, bool& inv) const {
    const arc_t& arc = inp_list_[inp];
    nid = arc.node;
    pos = arc.port;
    inv = arc.inverted;
  }

  // Counts `amount` more arcs reading this node.
  void add_fanout(nid_t amount) { fou_count_ += amount; }
  // Counts `amount` fewer arcs reading this node.
  void remove_fanout(nid_t amount) { fou_count_ -= amount; }
  // The number of arcs in the circuit that read any output port of this node.
  nid_t fanout_count() const { return fou_count_; }

  std::string_view name() const { return {name_, name_size_}; }
  Gate gate() const { return *gates::list[gate_]; }
  std::string_view gate_name() const { return gate().name(); }
  bool reversible() const { return gate().reversible(); }
  pos_t input_count() const { return gate().input_count(); }
  pos_t output_count() const { return gate().output_count(); }

  // The input arcs in port order.
  arc_range inputs() { return {ibegin(), iend()}; }
  const_arc_range inputs() const { return {ibegin(), iend()}; }
  // The input arcs from the last port to the first.
  reverse_arc_range rinputs() { return {ribegin(), riend()}; }
  const_reverse_arc_range rinputs() const { return {ribegin(), riend()}; }

  arc_t* ibegin() { return inp_list_; }
  arc_t* iend() { return inp_list_ + input_count(); }
  const arc_t* ibegin() const { return inp_list_; }
  const arc_t* iend() const { return inp_list_ + input_count(); }
  const arc_t* cibegin() const { return ibegin(); }
  const arc_t* ciend() const { return iend(); }
  std::reverse_iterator<arc_t*> ribegin() { return std::reverse_iterator(iend()); }
  std::reverse_iterator<arc_t*> riend() { return std::reverse_iterator(ibegin()); }
  std::reverse_iterator<const arc_t*> ribegin() const { return std::reverse_iterator(iend()); }
  std::reverse_iterator<const arc_t*> riend() const { return std::reverse_iterator(ibegin()); }
  std::reverse_iterator<const arc_t*> cribegin() const { return ribegin(); }
  std::reverse_iterator<const arc_t*> criend() const { return riend(); }

  // Evaluates this node for one batch: the gate's evaluator with the node's own arcs in place of
  // `args.arcs`.
  void operator()(evaluation args) const {
    args.arcs = inp_list_;
    gate()(args);
  }

  // Forgets the name and the arcs without freeing them, leaving an empty node.
  void release();
  // Frees the name and the arcs, then releases.
  void free();
  // Copies the name length, the gate and the fan-out count.
  void copy_meta(const Node& other);
  // Frees this node and takes over everything `other` owns, leaving `other` empty.
  void move_from(Node& other);

 private:
  using gate_code_t = std::uint8_t;  // a gate kind's id in the catalogue
  static_assert(gates::count <= 256, "gate ids must fit gate_code_t");

  nns_t name_size_ = 0;        // length of the name
  char* name_ = nullptr;       // the name, not terminated; null when empty
  gate_code_t gate_ = 0;       // the gate kind (id 0 is NONE)
  arc_t* inp_list_ = nullptr;  // one arc per input port of the gate; null when it has none
  nid_t fou_count_ = 0;        // arcs of the circuit that read this node
};
#pragma pack(pop)

}  // namespace operation
