#include "apa_digits.hpp"

#include <gmp.h>

#include <cstring>

namespace apa_digits {
namespace {

using wide_t = std::uint64_t;
constexpr int digit_bits = 32;

// Digit `place` counted from the least significant end, 0 past the top of the array.
digit_t digit_at(const digit_t* digits, int count, int place) {
  return place < count ? digits[count - 1 - place] : 0;
}

}  // namespace

digit_t* allocate(int count) { return count > 0 ? new digit_t[count]() : nullptr; }

void deallocate(digit_t* digits) { delete[] digits; }

digit_t add(int count, const digit_t* a, int a_count, const digit_t* b, int b_count, digit_t* sum) {
  wide_t carry = 0;
  for (int place = 0; place < count; ++place) {
    const wide_t total = wide_t{digit_at(a, a_count, place)} + digit_at(b, b_count, place) + carry;
    sum[count - 1 - place] = static_cast<digit_t>(total);
    carry = total >> digit_bits;
  }
  return static_cast<digit_t>(carry);
}

digit_t subtract(int count, const digit_t* a, int a_count, const digit_t* b, int b_count,
                 digit_t* difference) {
  wide_t borrow = 0;
  for (int place = 0; place < count; ++place) {
    // Wraps below zero; the top half is then all ones, so its low bit is the borrow.
    const wide_t total = wide_t{digit_at(a, a_count, place)} - digit_at(b, b_count, place) - borrow;
    difference[count - 1 - place] = static_cast<digit_t>(total);
    borrow = (total >> digit_bits) & 1;
  }
  return static_cast<digit_t>(borrow);
}

std::string to_decimal(int count, const digit_t* digits) {
  mpz_t value;
  mpz_init(value);
  if (count > 0) mpz_import(value, count, 1, sizeof(digit_t), 0, 0, digits);
  // mpz_sizeinbase may overestimate by one; room for the terminating null as well.
  std::string text(mpz_sizeinbase(value, 10) + 1, '\0');
  mpz_get_str(text.data(), 10, value);
  mpz_clear(value);
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace apa_digits
