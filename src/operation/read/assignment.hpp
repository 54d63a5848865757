#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "operation/gate.hpp"

namespace operation {

// A continuous assignment "assign NAME = RIGHT;" taken apart as far as recognising its gate needs:
// the right-hand side is a flat list of operands joined by "&", "|" and "^" (parentheses are name
// separators and group nothing).
struct Assignment {
  static constexpr std::size_t max_operands = 6;  // the most operands of any gate's form

  std::string_view word_;  // the left-hand side's text before its first space ("assign")
  std::string_view name_;  // the assigned name, without surrounding white space
  std::array<std::string_view, max_operands> operands_;  // the first operands, name separators removed
  std::size_t operand_count_ = 0;                        // all operands, also those not kept
  std::size_t ands_ = 0;                                 // "&" characters on the right-hand side
  std::size_t ors_ = 0;                                  // "|" characters
  std::size_t xors_ = 0;                                 // "^" characters
  bool plain_ = true;                                    // no parentheses on the right-hand side

  // The operands kept (all of them when there are at most `max_operands`).
  std::span<const std::string_view> operands() const {
    return {operands_.data(), std::min(operand_count_, max_operands)};
  }
};

// Takes the statement `line` apart: the left-hand side is the text before the first "=", the
// right-hand side the text after it (white space around it removed). The right-hand side is cut at
// every operator character; the text before the first operator and between two operators always
// forms an operand, the text after the last one only when it is not empty. The views point into
// `line`. Parentheses on the right-hand side, which group, clear `plain_`: then the operands alone
// do not tell the meaning.
Assignment parse_assignment(std::string_view line);

// The gate that the right-hand side forms, or NONE: one operand is a WIRE; two are an AND, OR or XOR
// when there is exactly one "&", else one "|", else one "^"; six with three "&", or five with two "&"
// and two "|", are a majority when keeping the 1st, 3rd, 5th … occurrence of every operand text leaves
// three operands (as in (a&b)|(a&c)|(b&c) and (a&b)|(c&(a|b))), which then become its operands.
Gate detect_gate(const Assignment& assignment);

// The places of the operands that stay when of every operand text only the 1st, 3rd, 5th …
// occurrence is kept, in order: a majority form's three inputs.
std::vector<std::size_t> odd_occurrences(std::span<const std::string_view> operands);

}  // namespace operation
