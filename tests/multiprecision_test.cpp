#include "multiprecision.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Multiprecision, DigitsGiveTheMantissaWidth) {
  const unsigned saved = mp_flt::default_precision();
  // 1000·d/301 rounded down, + 2; + 1 only when 1000·d is a multiple of 301.
  for (const auto& [digits, bits] : {std::pair{64, 214}, {20, 68}, {1, 5}, {301, 1001}, {602, 2001}}) {
    set_float_precision(digits);
    const mp_flt value = 1;
    EXPECT_EQ(precision_bits(value), bits) << digits;
    // Results of operations carry the same width, as do values converted from exact fractions.
    const mp_flt root = sqrt(value + value);
    EXPECT_EQ(precision_bits(root), bits) << digits;
    EXPECT_EQ(precision_bits(mp_flt(mp_rat(1, 3))), bits) << digits;
  }
  mp_flt::default_precision(saved);
}

}  // namespace
