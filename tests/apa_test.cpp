#include "apa.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using digits = std::vector<Apa::digit_t>;
using u128 = unsigned __int128;

Apa make(const digits& value) {
  Apa::digit_t* number = apa_digits::allocate(static_cast<int>(value.size()));
  std::copy(value.begin(), value.end(), number);
  return Apa(number, static_cast<int>(value.size()));
}

digits digits_of(const Apa& apa) { return digits(apa.number(), apa.number() + apa.digits()); }

// Four digits, most significant first.
Apa make_wide(u128 value) {
  return make(
      {Apa::digit_t(value >> 96), Apa::digit_t(value >> 64), Apa::digit_t(value >> 32), Apa::digit_t(value)});
}

std::string decimal(u128 value) {
  std::string text;
  for (; value != 0 || text.empty(); value /= 10) text.insert(text.begin(), char('0' + int(value % 10)));
  return text;
}

std::string subtraction_error(const Apa& a, const Apa& b) {
  try {
    (void)(a - b);
  } catch (const ApaSubtractNegativeException& error) {
    return error.what();
  }
  return "no exception";
}

}  // namespace

TEST(ApaAdd, CarriesGrowByOneDigitAndShorterOperandsArePadded) {
  EXPECT_EQ(digits_of(make({0xFFFFFFFF, 0xFFFFFFFF}) + make({1})), (digits{1, 0, 0}));
  EXPECT_EQ(digits_of(make({1}) + make({0xFFFFFFFF, 0xFFFFFFFF})), (digits{1, 0, 0}));
  EXPECT_EQ(digits_of(make({1, 0xFFFFFFFF}) + make({1})), (digits{2, 0}));
  EXPECT_EQ(digits_of(make({7}) + make({0, 0, 5})), (digits{0, 0, 12}));
  EXPECT_EQ(digits_of(Apa() + Apa()), digits{});
}

TEST(ApaSubtract, BorrowsKeepTheLengthAndNegativeResultsThrow) {
  EXPECT_EQ(digits_of(make({1, 0}) - make({1})), (digits{0, 0xFFFFFFFF}));
  EXPECT_EQ(digits_of(make({5}) - make({0, 3})), (digits{0, 2}));
  EXPECT_EQ(digits_of(make({7, 7}) - make({7, 7})), (digits{0, 0}));
  EXPECT_EQ(subtraction_error(make({1, 0}), make({2, 0})),
            "Negative number found at 4294967296 - 8589934592.");
  EXPECT_EQ(subtraction_error(make({0, 3}), make({5})), "Negative number found at 3 - 5.");
  EXPECT_EQ(subtraction_error(make({3}), make({0, 0, 5})), "Negative number found at 3 - 5.");
}

TEST(ApaText, MatchesIndependentlyComputedValues) {
  EXPECT_EQ(Apa().to_string(), "0");
  EXPECT_EQ(make({0, 0}).to_string(), "0");
  EXPECT_EQ(make({1, 0, 0, 0, 0}).to_string(), "340282366920938463463374607431768211456");  // 2^128
  const u128 a = (u128{0x0123456789ABCDEF} << 64) | 0xFEDCBA9876543210;
  const u128 b = (u128{0x00000000DEADBEEF} << 64) | 0x0BADF00D12345678;
  EXPECT_EQ(std::string(make_wide(a)), decimal(a));
  EXPECT_EQ(std::string(make_wide(a) + make_wide(b)), decimal(a + b));
  EXPECT_EQ(std::string(make_wide(a) - make_wide(b)), decimal(a - b));
}

TEST(ApaMemory, CopiesAreDeepMovesEmptyTheSourceAndFreeIsRepeatable) {
  Apa original = make({3, 4});
  Apa copy(original);
  Apa assigned = make({9});
  assigned = original;
  assigned = assigned;
  original.free();
  original.free();
  EXPECT_EQ(original.digits(), 0);
  EXPECT_EQ(original.number(), nullptr);
  EXPECT_EQ(digits_of(copy), (digits{3, 4}));
  EXPECT_EQ(digits_of(assigned), (digits{3, 4}));

  const Apa::digit_t* storage = copy.number();
  Apa moved(std::move(copy));
  EXPECT_EQ(copy.number(), nullptr);
  assigned = std::move(moved);
  assigned = std::move(assigned);
  EXPECT_EQ(moved.digits(), 0);
  EXPECT_EQ(assigned.number(), storage);
  EXPECT_EQ(assigned.digits(), 2);
}
