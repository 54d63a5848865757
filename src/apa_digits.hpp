#pragma once

#include <cstdint>
#include <string>

// Unsigned multi-digit numbers: arrays of 32-bit digits, most significant first. The routines
// take each operand with its own digit count and read missing high digits as 0, so operands of
// different lengths are never read beyond their storage.
namespace apa_digits {

using digit_t = std::uint32_t;

// A new array of `count` zero digits; null when `count` is not positive.
digit_t* allocate(int count);

// Gives back an array from `allocate` (null is allowed).
void deallocate(digit_t* digits);

// Writes the low `count` digits of a + b into `sum` and returns the carry out of the top digit (0 or 1).
// `sum` may be one of the operands when that operand has `count` digits.
digit_t add(int count, const digit_t* a, int a_count, const digit_t* b, int b_count, digit_t* sum);

// Writes the low `count` digits of a - b into `difference` and returns the borrow out of the top
// digit (1 when a < b taken as `count`-digit numbers). Aliasing as in `add`.
digit_t subtract(int count, const digit_t* a, int a_count, const digit_t* b, int b_count,
                 digit_t* difference);

// The decimal text of the number ("0" for no digits).
std::string to_decimal(int count, const digit_t* digits);

}  // namespace apa_digits
