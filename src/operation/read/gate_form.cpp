#include "operation/read/gate_form.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "operation/read/exception.hpp"
#include "util/string.hpp"

namespace operation {
namespace {

using Kind = Term::Kind;

// A bit read with an inversion: the leaf term below any number of negations.
struct Literal {
  std::uint32_t leaf = 0;
  bool inverted = false;
};

// The negations above term `t` taken away: the term below them and their parity.
Literal strip_negations(const Expression& expression, std::uint32_t t) {
  Literal literal{t, false};
  while (expression.terms_[literal.leaf].kind_ == Kind::negation) {
    literal.leaf = expression.terms_[literal.leaf].left_;
    literal.inverted = !literal.inverted;
  }
  return literal;
}

bool is_literal(const Expression& expression, std::uint32_t t) {
  return expression.terms_[strip_negations(expression, t).leaf].kind_ == Kind::bits;
}

Gate gate_of(Kind kind) {
  if (kind == Kind::conjunction) return gates::AND;
  if (kind == Kind::disjunction) return gates::OR;
  return gates::XOR;
}

// What a tree that is not a single gate holds: its literals in order of appearance, its operators,
// and the outermost negation of a group (a term that is not a literal).
struct Shape {
  std::vector<Literal> literals;
  std::size_t ands = 0, ors = 0;
  std::optional<std::uint32_t> inverted_group;
};

void collect(const Expression& expression, std::uint32_t t, Shape& shape) {
  const Term& term = expression.terms_[t];
  if (is_literal(expression, t)) {
    shape.literals.push_back(strip_negations(expression, t));
  } else if (term.kind_ == Kind::negation) {
    if (!shape.inverted_group) shape.inverted_group = t;
    collect(expression, term.left_, shape);
  } else {
    shape.ands += term.kind_ == Kind::conjunction;
    shape.ors += term.kind_ == Kind::disjunction;
    collect(expression, term.left_, shape);
    collect(expression, term.right_, shape);
  }
}

// The value of term `t` for bit `bit` when variable v (an index into `variables`) has bit v of
// `assignment`.
bool evaluate(const Expression& expression, std::uint32_t t, std::size_t bit,
              const std::vector<BitRef>& variables, unsigned assignment) {
  const Term& term = expression.terms_[t];
  switch (term.kind_) {
    case Kind::bits: {
      const BitRef& ref = expression.bits_[term.first_ + bit];
      const auto v =
          static_cast<unsigned>(std::find(variables.begin(), variables.end(), ref) - variables.begin());
      return (assignment >> v) & 1;
    }
    case Kind::negation:
      return !evaluate(expression, term.left_, bit, variables, assignment);
    case Kind::conjunction:
      return evaluate(expression, term.left_, bit, variables, assignment) &&
             evaluate(expression, term.right_, bit, variables, assignment);
    case Kind::disjunction:
      return evaluate(expression, term.left_, bit, variables, assignment) ||
             evaluate(expression, term.right_, bit, variables, assignment);
    case Kind::exclusion:
      return evaluate(expression, term.left_, bit, variables, assignment) !=
             evaluate(expression, term.right_, bit, variables, assignment);
  }
  return false;
}

// The majority of the three distinct literals of `shape`, when the expression means it.
std::optional<GateForm> majority(const Expression& expression, std::size_t bit, const Shape& shape) {
  const bool form = (shape.literals.size() == 6 && shape.ands == 3) ||
                    (shape.literals.size() == 5 && shape.ands == 2 && shape.ors == 2);
  if (!form || shape.inverted_group) return std::nullopt;
  GateForm gate;
  gate.gate_ = gates::MAJ;
  std::vector<BitRef> variables;
  std::size_t count = 0;
  for (const Literal& literal : shape.literals) {
    const BitRef& ref = expression.bits_[expression.terms_[literal.leaf].first_ + bit];
    if (std::find(variables.begin(), variables.end(), ref) == variables.end()) variables.push_back(ref);
    const auto seen = std::find_if(gate.inputs_.begin(), gate.inputs_.begin() + static_cast<long>(count),
                                   [&](const BitRef* input) { return *input == ref; });
    const auto i = static_cast<std::size_t>(seen - gate.inputs_.begin());
    if (i < count) {
      if (gate.inverted_[i] != literal.inverted) return std::nullopt;
      continue;
    }
    if (count == GateForm::max_inputs) return std::nullopt;
    gate.inputs_[count] = &ref;
    gate.inverted_[count++] = literal.inverted;
  }
  if (count != GateForm::max_inputs) return std::nullopt;
  for (unsigned assignment = 0; assignment < (1U << variables.size()); ++assignment) {
    int ones = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const auto v = static_cast<unsigned>(std::find(variables.begin(), variables.end(), *gate.inputs_[i]) -
                                           variables.begin());
      ones += (((assignment >> v) & 1) != 0) != gate.inverted_[i];
    }
    if (evaluate(expression, expression.root(), bit, variables, assignment) != (ones >= 2))
      return std::nullopt;
  }
  return gate;
}

}  // namespace

GateForm recognise_gate(const Expression& expression, std::size_t bit, std::string_view text, siz_t lineno,
                        bool flat_gate) {
  const auto input = [&](const Literal& literal) {
    return &expression.bits_[expression.terms_[literal.leaf].first_ + bit];
  };
  const Literal root = strip_negations(expression, expression.root());
  const Term& core = expression.terms_[root.leaf];
  GateForm gate;
  if (core.kind_ == Kind::bits) {
    gate.gate_ = gates::WIRE;
    gate.inputs_[0] = input(root);
    gate.inverted_[0] = root.inverted;
    return gate;
  }
  if (core.kind_ != Kind::negation && is_literal(expression, core.left_) &&
      is_literal(expression, core.right_)) {
    const Literal left = strip_negations(expression, core.left_),
                  right = strip_negations(expression, core.right_);
    gate.gate_ = gate_of(core.kind_);
    gate.inputs_ = {input(left), input(right), nullptr};
    gate.inverted_ = {left.inverted, right.inverted, false};
    gate.inverted_output_ = root.inverted;
    return gate;
  }
  Shape shape;
  collect(expression, expression.root(), shape);
  if (const auto found = majority(expression, bit, shape)) return *found;
  if (shape.inverted_group) {
    const Term& group = expression.terms_[*shape.inverted_group];
    throw ReadException(
        util::string::concat("The inverted group `", text.substr(group.begin_, group.end_ - group.begin_),
                             "` is not supported: an assignment is one gate, and `~( … )` may only enclose "
                             "one gate `x & y`, `x | y` or `x ^ y`."),
        lineno);
  }
  if (flat_gate)
    throw ReadException(util::string::concat("The grouping of `", text,
                                             "` is not supported: its meaning is not one gate (a majority "
                                             "of three signals is written (a & b) | (a & c) | (b & c))."),
                        lineno);
  throw ReadException("Could not detect gate.", lineno);
}

}  // namespace operation
