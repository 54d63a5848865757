#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "apa_digits.hpp"

// An unsigned integer of any size for counts beyond 64 bits: an owned array of 32-bit digits,
// most significant first. The digit count only grows (a sum gains one digit on a final carry).
class Apa {
 public:
  using digit_t = apa_digits::digit_t;

  // Bits per digit.
  static constexpr std::uint64_t bits = 32;

  // No digits (the value 0, without storage).
  Apa() = default;
  // Takes ownership of `digits` digits at `number`, which must come from `apa_digits::allocate`.
  Apa(digit_t* number, int digits);
  // Deep copy.
  Apa(const Apa& other);
  // Takes over the other's digits and leaves it empty.
  Apa(Apa&& other) noexcept;
  Apa& operator=(const Apa& other);
  Apa& operator=(Apa&& other) noexcept;
  virtual ~Apa();

  // Forgets the digits without giving them back.
  void release();
  // Gives the digits back and releases; harmless when there are none.
  void free();
  // Frees this number and takes the other's digit count, without storage: the first step of a
  // copy or a move, to be followed by owning an array of that many digits.
  void copy_meta(const Apa& other);
  // This number becomes a copy of the other, with its own digits.
  void copy_from(const Apa& other);
  // This number takes over the other's digits; the other is left empty.
  void move_from(Apa& other);

  // Number of digits; 0 when no storage is held.
  int digits() const { return digits_; }
  // The digits, most significant first (null when there are none).
  const digit_t* number() const { return number_; }

  // Decimal text of the value.
  std::string to_string() const;
  operator std::string() const { return to_string(); }

  // The sum, as long as the longer operand plus one digit when the top digit carries.
  Apa operator+(const Apa& other) const;
  // The difference, as long as the longer operand; throws ApaSubtractNegativeException when
  // `other` is the larger.
  Apa operator-(const Apa& other) const;

 private:
  digit_t* number_ = nullptr;
  int digits_ = 0;
};

// Error of the big-count arithmetic.
class ApaException : public std::runtime_error {
 public:
  explicit ApaException(const std::string& message) : std::runtime_error(message) {}
};

// A subtraction whose result would be negative.
class ApaSubtractNegativeException : public ApaException {
 public:
  ApaSubtractNegativeException(const Apa& minuend, const Apa& subtrahend);
};
