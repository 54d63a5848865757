#include "apa.hpp"

#include <algorithm>

Apa::Apa(digit_t* number, int digits) : number_(number), digits_(digits) {}

Apa::Apa(const Apa& other) { copy_from(other); }

Apa::Apa(Apa&& other) noexcept { move_from(other); }

Apa& Apa::operator=(const Apa& other) {
  copy_from(other);
  return *this;
}

Apa& Apa::operator=(Apa&& other) noexcept {
  move_from(other);
  return *this;
}

Apa::~Apa() { free(); }

void Apa::release() {
  number_ = nullptr;
  digits_ = 0;
}

void Apa::free() {
  apa_digits::deallocate(number_);
  release();
}

void Apa::copy_meta(const Apa& other) {
  free();
  digits_ = other.digits_;
}

void Apa::copy_from(const Apa& other) {
  if (this == &other) return;
  // Copies before freeing, so a failed allocation leaves this number as it was.
  digit_t* copy = apa_digits::allocate(other.digits_);
  std::copy_n(other.number_, other.digits_, copy);
  copy_meta(other);
  number_ = copy;
}

void Apa::move_from(Apa& other) {
  if (this == &other) return;
  copy_meta(other);
  number_ = other.number_;
  other.release();
}

std::string Apa::to_string() const { return apa_digits::to_decimal(digits_, number_); }

Apa Apa::operator+(const Apa& other) const {
  const int count = std::max(digits_, other.digits_);
  Apa sum(apa_digits::allocate(count), count);
  const digit_t carry = apa_digits::add(count, number_, digits_, other.number_, other.digits_, sum.number_);
  if (carry == 0) return sum;
  Apa wider(apa_digits::allocate(count + 1), count + 1);
  wider.number_[0] = carry;
  std::copy_n(sum.number_, count, wider.number_ + 1);
  return wider;
}

Apa Apa::operator-(const Apa& other) const {
  const int count = std::max(digits_, other.digits_);
  Apa difference(apa_digits::allocate(count), count);
  const digit_t borrow =
      apa_digits::subtract(count, number_, digits_, other.number_, other.digits_, difference.number_);
  if (borrow != 0) throw ApaSubtractNegativeException(*this, other);
  return difference;
}

ApaSubtractNegativeException::ApaSubtractNegativeException(const Apa& minuend, const Apa& subtrahend)
    : ApaException("Negative number found at " + minuend.to_string() + " - " + subtrahend.to_string() + ".") {
}
