#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operation/operation.hpp"
#include "operation/read/bit_range.hpp"

// The right-hand sides and targets of continuous assignments read by their Verilog meaning: the
// operators "~", "&", "^", "|" (in rising order of binding: "|" weakest) with parentheses, over
// names, bit-selects "a[3]", part-selects "a[3:1]", whole vectors, sized constants ("4'd9", "1'h0",
// also "0" and "1") and concatenations "{ a, 1'h0 }". Everything else is refused with a message that
// says what to do instead.
namespace operation {

// One bit an expression reads or assigns: a signal (a scalar's name or a vector bit's "a[3]") or a
// constant.
struct BitRef {
  std::string name_;    // empty for a constant
  bool value_ = false;  // the constant's value

  bool operator==(const BitRef&) const = default;
};

// A node of a parsed expression: a list of bits (a leaf) or an operator over earlier terms.
struct Term {
  enum class Kind : std::uint8_t { bits, negation, conjunction, exclusion, disjunction };

  Kind kind_ = Kind::bits;
  std::uint32_t left_ = 0;   // the operand (of a negation) or the left operand
  std::uint32_t right_ = 0;  // the right operand of a binary operator
  std::uint32_t first_ = 0;  // a leaf's first bit in `Expression::bits_`, leftmost first
  std::uint32_t width_ = 0;  // a leaf's number of bits
  std::size_t begin_ = 0;    // the term's text, parentheses included: [begin_, end_)
  std::size_t end_ = 0;
};

// A parsed expression: its terms, each operand before the operator that reads it, the root last.
struct Expression {
  std::vector<Term> terms_;
  std::vector<BitRef> bits_;

  std::uint32_t root() const { return static_cast<std::uint32_t>(terms_.size() - 1); }
};

// Parses the right-hand side `text` (its final ";" removed). Throws ReadException at line `lineno`
// for text outside the forms above, naming what is not supported.
Expression parse_expression(std::string_view text, const VectorRanges& vectors, siz_t lineno);

// Parses the target `text` of an assignment (a name, a bit- or part-select, a whole vector or a
// concatenation of them) into its bits, leftmost first. Throws ReadException at line `lineno`.
std::vector<BitRef> parse_target(std::string_view text, const VectorRanges& vectors, siz_t lineno);

}  // namespace operation
