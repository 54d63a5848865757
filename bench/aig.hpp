#pragma once

// Small arithmetic circuits as and-inverter graphs, the shape of the real benchmark netlists:
// every gate is a two-input AND whose operands may be inverted. They are written as Verilog
// ("assign n7 = ~n5 & a3;") for the programs, or built directly as circuits for the engine.

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "operation/circuit.hpp"

namespace aig {

// A signal: an input or an AND gate, possibly inverted.
struct literal {
  std::uint32_t node;  // inputs first, then gates
  bool inverted = false;
  literal operator~() const { return {node, !inverted}; }
};

class graph {
 public:
  literal input(std::string name) {
    names_.push_back(std::move(name));
    return {static_cast<std::uint32_t>(names_.size() - 1)};
  }
  literal AND(literal a, literal b) {
    gates_.push_back({a, b});
    names_.push_back("n" + std::to_string(names_.size()));
    return {static_cast<std::uint32_t>(names_.size() - 1)};
  }
  literal OR(literal a, literal b) { return ~AND(~a, ~b); }
  literal XOR(literal a, literal b) { return OR(AND(a, ~b), AND(~a, b)); }
  void output(std::string name, literal l) { outputs_.push_back({std::move(name), l}); }

  // Sum and carry of up to three bits.
  std::pair<literal, std::optional<literal>> add(literal a, std::optional<literal> b,
                                                 std::optional<literal> c) {
    if (!b) return {a, std::nullopt};
    const literal half = XOR(a, *b);
    if (!c) return {half, AND(a, *b)};
    return {XOR(half, *c), OR(AND(a, *b), AND(*c, half))};
  }

  // The module "top" in the netlist subset the Verilog reader accepts.
  std::string verilog() const {
    std::ostringstream text;
    text << "module top ( " << join(0, inputs(), ", ") << ", " << output_names() << " );\n";
    text << "  input " << join(0, inputs(), ", ") << " ;\n";
    text << "  output " << output_names() << " ;\n";
    text << "  wire " << join(inputs(), names_.size(), ", ") << " ;\n";
    for (std::uint32_t g = 0; g < gates_.size(); ++g)
      text << "  assign " << names_[inputs() + g] << " = " << operand(gates_[g].a) << " & "
           << operand(gates_[g].b) << " ;\n";
    for (const auto& [name, l] : outputs_) text << "  assign " << name << " = " << operand(l) << " ;\n";
    text << "endmodule\n";
    return text.str();
  }

  // The same circuit as the Verilog reader builds it: inputs, the AND gates, one wire per output
  // named as the output, then the output markers "o-k". Sorted.
  operation::Circuit circuit() const {
    using namespace operation;
    Circuit circuit(names_.size() + 2 * outputs_.size());
    for (std::uint32_t n = 0; n < inputs(); ++n) circuit.emplace_node(names_[n], gates::I);
    const auto arc = [&](nid_t node, pos_t port, literal l) {
      circuit[node].set_input(port, l.node, 0, l.inverted);
      circuit[l.node].add_fanout(1);
    };
    for (const auto& [a, b] : gates_) {
      const nid_t n = circuit.emplace_node(names_[circuit.size()], gates::AND);
      arc(n, 0, a);
      arc(n, 1, b);
    }
    for (const auto& [name, l] : outputs_) arc(circuit.emplace_node(name, gates::WIRE), 0, l);
    for (std::uint32_t k = 0; k < outputs_.size(); ++k) {
      const nid_t n = circuit.emplace_node("o-" + std::to_string(k), gates::O);
      arc(n, 0, {static_cast<std::uint32_t>(names_.size() + k)});
    }
    circuit.set_sorted(true);
    return circuit;
  }

 private:
  struct gate {
    literal a, b;
  };

  std::uint32_t inputs() const { return static_cast<std::uint32_t>(names_.size() - gates_.size()); }
  std::string operand(literal l) const { return (l.inverted ? "~" : "") + names_[l.node]; }
  std::string join(std::size_t from, std::size_t to, const char* sep) const {
    std::string text;
    for (std::size_t n = from; n < to; ++n) text += (n == from ? "" : sep) + names_[n];
    return text;
  }
  std::string output_names() const {
    std::string text;
    for (const auto& [name, l] : outputs_) text += (text.empty() ? "" : ", ") + name;
    return text;
  }

  std::vector<std::string> names_;  // inputs, then gates
  std::vector<gate> gates_;
  std::vector<std::pair<std::string, literal>> outputs_;
};

// An unsigned `bits` × `bits` array multiplier: inputs a0… and b0…, outputs p0… (2·bits of them).
// Row i adds the partial products a·b_i to the running sum with a ripple of adders.
inline graph array_multiplier(unsigned bits) {
  graph g;
  std::vector<literal> a, b;
  for (unsigned i = 0; i < bits; ++i) a.push_back(g.input("a" + std::to_string(i)));
  for (unsigned i = 0; i < bits; ++i) b.push_back(g.input("b" + std::to_string(i)));
  std::vector<std::optional<literal>> sum;  // the running sum from the weight of the current row
  for (unsigned j = 0; j < bits; ++j) sum.push_back(g.AND(a[j], b[0]));
  unsigned out = 0;
  for (unsigned i = 1; i < bits; ++i) {
    g.output("p" + std::to_string(out++), *sum[0]);
    std::vector<std::optional<literal>> next;
    std::optional<literal> carry;
    for (unsigned j = 0; j < bits; ++j) {
      const std::optional<literal> above = j + 1 < sum.size() ? sum[j + 1] : std::nullopt;
      auto [s, c] =
          above ? g.add(g.AND(a[j], b[i]), above, carry) : g.add(g.AND(a[j], b[i]), carry, std::nullopt);
      next.push_back(s);
      carry = c;
    }
    next.push_back(carry);
    sum = next;
  }
  for (const auto& bit : sum) g.output("p" + std::to_string(out++), *bit);
  return g;
}

// A `bits`-bit ripple-carry adder: inputs a0… and b0…, outputs s0… (bits + 1 of them).
inline graph ripple_carry_adder(unsigned bits) {
  graph g;
  std::vector<literal> a, b;
  for (unsigned i = 0; i < bits; ++i) a.push_back(g.input("a" + std::to_string(i)));
  for (unsigned i = 0; i < bits; ++i) b.push_back(g.input("b" + std::to_string(i)));
  std::optional<literal> carry;
  for (unsigned i = 0; i < bits; ++i) {
    auto [s, c] = g.add(a[i], b[i], carry);
    g.output("s" + std::to_string(i), s);
    carry = c;
  }
  g.output("s" + std::to_string(bits), *carry);
  return g;
}

}  // namespace aig
