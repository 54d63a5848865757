#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "operation/gate.hpp"
#include "operation/operation.hpp"
#include "operation/read/expression.hpp"

namespace operation {

// The gate that one bit of an assignment's right-hand side forms, with its inputs.
struct GateForm {
  static constexpr std::size_t max_inputs = 3;

  Gate gate_ = gates::NONE;
  std::array<const BitRef*, max_inputs> inputs_{};  // the bits read, in input order
  std::array<bool, max_inputs> inverted_{};         // whether input i is read complemented
  bool inverted_output_ = false;                    // "~(x op y)": the name stands for the complement
};

// What the fast reading of an assignment found: the gate of its operand texts (the text between
// operator characters, name separators removed) and those texts, in order.
struct FlatReading {
  Gate gate_ = gates::NONE;
  std::span<const std::string_view> operands_;
};

// Recognises the gate of bit `bit` of `expression` (the right-hand side `text`, from line `lineno`):
// one literal (a possibly inverted bit) is a WIRE; "x & y", "x | y", "x ^ y" over literals are an
// AND, OR or XOR, and "~(x op y)" the same gate with its output complemented; the majority forms
// "(a & b) | (a & c) | (b & c)" and "(a & b) | (c & (a | b))" (six operands with three "&", or five
// with two "&" and two "|") are a MAJ when the expression means the majority of three of its
// literals: those the fast reading keeps (repeated and constant ones included), else its three
// distinct signals. Anything else is refused with ReadException: an inverted group that is not one
// gate, a grouping whose meaning is no gate (the fast reading `flat` found one), or "Could not
// detect gate.".
GateForm recognise_gate(const Expression& expression, std::size_t bit, std::string_view text, siz_t lineno,
                        const FlatReading& flat);

}  // namespace operation
