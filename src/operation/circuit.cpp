#include "operation/circuit.hpp"

#include <stdexcept>

#include "util/string.hpp"

namespace operation {

Circuit::Circuit(siz_t capacity) {
  if (capacity > limits::max_nodes)
    throw std::runtime_error(
        util::string::concat("Too many nodes (", capacity, " > ", limits::max_nodes, "). Increase nid_t."));
  nodes_ = new Node[capacity];
  capacity_ = static_cast<nid_t>(capacity);
}

nid_t Circuit::emplace_node(std::string_view name, Gate gate) { return emplace_node(Node(name, gate)); }

nid_t Circuit::emplace_node(Node&& node) {
  if (size_ == capacity_)
    throw std::runtime_error(util::string::concat("The circuit is full (", capacity_, " nodes)."));
  update_counters(node);
  nodes_[size_].move_from(node);
  sorted_ = false;
  return size_++;
}

void Circuit::update_counters(const Node& node) {
  const Gate gate = node.gate();
  if (gate == gates::ZERO)
    inc_fixed();
  else if (gate == gates::I)
    inc_input();
  else if (gate == gates::O)
    inc_output();
  else
    inc_logic();
}

void Circuit::inc_fixed() {
  if (inp_count_ != 0 || log_count_ != 0 || out_count_ != 0)
    throw std::runtime_error("The fixed node should come first.");
  if (fix_count_ != 0) throw std::runtime_error("A circuit may only have one fixed node (0).");
  fix_count_ = 1;
}

void Circuit::inc_input() {
  if (log_count_ != 0 || out_count_ != 0) throw std::runtime_error("Input nodes should come second.");
  ++inp_count_;
}

void Circuit::inc_logic() {
  if (out_count_ != 0) throw std::runtime_error("Logic nodes should come third.");
  ++log_count_;
}

void Circuit::inc_output() { ++out_count_; }

void Circuit::build_fanout_lists() {
  free_fanout_lists();
  // Count the arcs that read each node, and hold the callers to their fan-out counts.
  std::vector<nid_t> fill(size_, 0);
  siz_t arc_count = 0;
  for (const Node& consumer : nodes())
    for (const arc_t& arc : consumer.inputs()) ++fill[arc.node];
  for (nid_t n = 0; n < size_; ++n) {
    if (fill[n] != fanout_count(n))
      throw std::runtime_error(util::string::concat("Node `", name(n), "` is read by ", fill[n],
                                                    " arcs, but its fan-out count is ", fanout_count(n),
                                                    "."));
    arc_count += fill[n];
    fill[n] = 0;
  }
  fou_lists_ = new arc_t*[siz_t{size_} + 1];
  fou_lists_[0] = new arc_t[arc_count];
  for (nid_t n = 0; n < size_; ++n) fou_lists_[n + 1] = fou_lists_[n] + fanout_count(n);
  for (nid_t c = 0; c < size_; ++c)
    for (const auto& [source, port, inverted] : nodes_[c].inputs())
      fou_lists_[source][fill[source]++] = arc_t(c, port, inverted);
}

void Circuit::free_fanout_lists() {
  if (fou_lists_ == nullptr) return;
  delete[] fou_lists_[0];
  delete[] fou_lists_;
  fou_lists_ = nullptr;
}

void Circuit::assert_fanout_lists_built() const {
  if (fou_lists_ == nullptr) throw std::runtime_error("Run `build_fanout_lists` first.");
}

void Circuit::assert_sorted() const {
  if (!sorted_) throw std::runtime_error("The circuit should be topologically sorted.");
}

bool Circuit::check_sorted() {
  sorted_ = true;
  for (nid_t i = data_count(); i < transfer_count() && sorted_; ++i)
    for (const arc_t& arc : nodes_[i].inputs())
      if (arc.node >= i) sorted_ = false;
  return sorted_;
}

void Circuit::release() {
  capacity_ = size_ = 0;
  fix_count_ = inp_count_ = log_count_ = out_count_ = 0;
  nodes_ = nullptr;
  fou_lists_ = nullptr;
}

void Circuit::free() {
  free_fanout_lists();
  delete[] nodes_;
  release();
}

void Circuit::copy_meta(const Circuit& other) {
  capacity_ = other.capacity_;
  size_ = other.size_;
  fix_count_ = other.fix_count_;
  inp_count_ = other.inp_count_;
  log_count_ = other.log_count_;
  out_count_ = other.out_count_;
  sorted_ = other.sorted_;
}

void Circuit::move_from(Circuit& other) {
  if (&other == this) return;
  free();
  copy_meta(other);
  nodes_ = other.nodes_;
  fou_lists_ = other.fou_lists_;
  other.release();
}

std::ostream& operator<<(std::ostream& out, const Circuit& circuit) {
  for (const Node& node : circuit) {
    out << node.name() << " = ";
    if (node.gate() != gates::WIRE) out << node.gate_name();
    if (node.input_count() != 0) {
      out << "(";
      const char* separator = " ";
      for (const auto& [source, port, inverted] : node.inputs()) {
        out << separator << (inverted ? "~" : "") << circuit.name(source) << "_" << +port;
        separator = " , ";
      }
      out << " )";
    }
    out << std::endl;
  }
  return out;
}

}  // namespace operation
