#include "operation/read/gate_form.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "operation/read/assignment.hpp"
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

// The distinct signals that bit `bit` of `expression` reads (constants are not signals).
std::vector<BitRef> signals_of(const Expression& expression, std::size_t bit) {
  std::vector<BitRef> signals;
  for (const Term& term : expression.terms_) {
    if (term.kind_ != Kind::bits) continue;
    const BitRef& ref = expression.bits_[term.first_ + bit];
    if (!ref.name_.empty() && std::find(signals.begin(), signals.end(), ref) == signals.end())
      signals.push_back(ref);
  }
  return signals;
}

// The value of `ref` when signal v (an index into `signals`) has bit v of `assignment`.
bool value_of(const BitRef& ref, const std::vector<BitRef>& signals, unsigned assignment) {
  if (ref.name_.empty()) return ref.value_;
  const auto v = static_cast<unsigned>(std::find(signals.begin(), signals.end(), ref) - signals.begin());
  return (assignment >> v) & 1;
}

// The value of term `t` for bit `bit` under `assignment` of `signals`.
bool evaluate(const Expression& expression, std::uint32_t t, std::size_t bit,
              const std::vector<BitRef>& signals, unsigned assignment) {
  const Term& term = expression.terms_[t];
  const auto operand = [&](std::uint32_t o) { return evaluate(expression, o, bit, signals, assignment); };
  switch (term.kind_) {
    case Kind::bits:
      return value_of(expression.bits_[term.first_ + bit], signals, assignment);
    case Kind::negation:
      return !operand(term.left_);
    case Kind::conjunction:
      return operand(term.left_) && operand(term.right_);
    case Kind::disjunction:
      return operand(term.left_) || operand(term.right_);
    case Kind::exclusion:
      return operand(term.left_) != operand(term.right_);
  }
  return false;
}

// The MAJ over the literals `inputs` of bit `bit`, when the expression means their majority for
// every value of the signals it reads (aliases and constants taken as what they are).
std::optional<GateForm> majority_of(const Expression& expression, std::size_t bit,
                                    const std::array<Literal, GateForm::max_inputs>& inputs) {
  const std::vector<BitRef> signals = signals_of(expression, bit);
  GateForm gate;
  gate.gate_ = gates::MAJ;
  for (std::size_t i = 0; i < GateForm::max_inputs; ++i) {
    gate.inputs_[i] = &expression.bits_[expression.terms_[inputs[i].leaf].first_ + bit];
    gate.inverted_[i] = inputs[i].inverted;
  }
  for (unsigned assignment = 0; assignment < (1U << signals.size()); ++assignment) {
    int ones = 0;
    for (std::size_t i = 0; i < GateForm::max_inputs; ++i)
      ones += value_of(*gate.inputs_[i], signals, assignment) != gate.inverted_[i];
    if (evaluate(expression, expression.root(), bit, signals, assignment) != (ones >= 2)) return std::nullopt;
  }
  return gate;
}

// The three literals the fast reading keeps of a majority form (its operand texts, of which the
// 1st, 3rd, 5th … occurrence of each stays), when it keeps three.
std::optional<std::array<Literal, GateForm::max_inputs>> kept_by_text(const Shape& shape,
                                                                      const FlatReading& flat) {
  if (flat.gate_ != gates::MAJ || flat.operands_.size() != shape.literals.size()) return std::nullopt;
  const std::vector<std::size_t> kept = odd_occurrences(flat.operands_);
  return std::array{shape.literals[kept[0]], shape.literals[kept[1]], shape.literals[kept[2]]};
}

// The three distinct bits of bit `bit` that the literals of `shape` read, in order of appearance,
// when there are three and each is read with the same inversion every time.
std::optional<std::array<Literal, GateForm::max_inputs>> distinct_signals(const Expression& expression,
                                                                          std::size_t bit,
                                                                          const Shape& shape) {
  std::array<Literal, GateForm::max_inputs> inputs;
  std::size_t count = 0;
  const auto ref = [&](const Literal& literal) -> const BitRef& {
    return expression.bits_[expression.terms_[literal.leaf].first_ + bit];
  };
  for (const Literal& literal : shape.literals) {
    const auto seen = std::find_if(inputs.begin(), inputs.begin() + static_cast<long>(count),
                                   [&](const Literal& input) { return ref(input) == ref(literal); });
    if (seen != inputs.begin() + static_cast<long>(count)) {
      if (seen->inverted != literal.inverted) return std::nullopt;
      continue;
    }
    if (count == GateForm::max_inputs) return std::nullopt;
    inputs[count++] = literal;
  }
  if (count != GateForm::max_inputs) return std::nullopt;
  return inputs;
}

// The MAJ that a majority form means: over the literals the fast reading keeps, or else over its
// three distinct signals.
std::optional<GateForm> majority(const Expression& expression, std::size_t bit, const Shape& shape,
                                 const FlatReading& flat) {
  const bool form = (shape.literals.size() == 6 && shape.ands == 3) ||
                    (shape.literals.size() == 5 && shape.ands == 2 && shape.ors == 2);
  if (!form || shape.inverted_group) return std::nullopt;
  if (const auto inputs = kept_by_text(shape, flat))
    if (const auto gate = majority_of(expression, bit, *inputs)) return gate;
  if (const auto inputs = distinct_signals(expression, bit, shape))
    return majority_of(expression, bit, *inputs);
  return std::nullopt;
}

}  // namespace

GateForm recognise_gate(const Expression& expression, std::size_t bit, std::string_view text, siz_t lineno,
                        const FlatReading& flat) {
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
  if (const auto found = majority(expression, bit, shape, flat)) return *found;
  if (shape.inverted_group) {
    const Term& group = expression.terms_[*shape.inverted_group];
    throw ReadException(
        util::string::concat("The inverted group `", text.substr(group.begin_, group.end_ - group.begin_),
                             "` is not supported: an assignment is one gate, and `~( … )` may only enclose "
                             "one gate `x & y`, `x | y` or `x ^ y`."),
        lineno);
  }
  if (flat.gate_ != gates::NONE)
    throw ReadException(util::string::concat("The grouping of `", text,
                                             "` is not supported: its meaning is not one gate (a majority "
                                             "of three signals is written (a & b) | (a & c) | (b & c))."),
                        lineno);
  throw ReadException("Could not detect gate.", lineno);
}

}  // namespace operation
