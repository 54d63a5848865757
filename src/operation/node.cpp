#include "operation/node.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace operation {
namespace {

// A fresh array of `count` arcs reading (0, 0, false), or null for none.
arc_t* new_arcs(pos_t count) { return count == 0 ? nullptr : new arc_t[count]{}; }

}  // namespace

Node::Node(std::string_view name, Gate gate) {
  if (name.size() > limits::max_node_name) throw std::runtime_error(std::string(name_too_long));
  if (!name.empty()) {
    name_ = new char[name.size()];
    std::copy(name.begin(), name.end(), name_);
  }
  name_size_ = static_cast<nns_t>(name.size());
  gate_ = static_cast<gate_code_t>(gate.id());
  inp_list_ = new_arcs(gate.input_count());
}

void Node::set_gate(Gate gate) {
  if (this->gate() != gates::NONE) throw std::runtime_error("Cannot change gate, except from NONE.");
  arc_t* arcs = new_arcs(gate.input_count());
  delete[] inp_list_;
  inp_list_ = arcs;
  gate_ = static_cast<gate_code_t>(gate.id());
}

void Node::release() {
  name_size_ = 0;
  name_ = nullptr;
  gate_ = static_cast<gate_code_t>(gates::NONE.id());
  inp_list_ = nullptr;
  fou_count_ = 0;
}

void Node::free() {
  delete[] name_;
  delete[] inp_list_;
  release();
}

void Node::copy_meta(const Node& other) {
  name_size_ = other.name_size_;
  gate_ = other.gate_;
  fou_count_ = other.fou_count_;
}

void Node::move_from(Node& other) {
  if (&other == this) return;
  free();
  copy_meta(other);
  name_ = other.name_;
  inp_list_ = other.inp_list_;
  other.release();
}

}  // namespace operation
