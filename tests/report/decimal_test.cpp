#include "report/decimal.hpp"

#include <gtest/gtest.h>

using report::is_decimal;
using report::round_decimal;

TEST(Decimal, RecognisesTheNumbersJoinWrites) {
  for (const char* text : {"0", "12", "-3", "1.18872187554086713609", "-0.5", "007.10"})
    EXPECT_TRUE(is_decimal(text)) << text;
  for (const char* text : {"", "-", ".5", "5.", "1e5", "1.2.3", "+1", " 1", "nan", "inf", "1,5"})
    EXPECT_FALSE(is_decimal(text)) << text;
}

TEST(Decimal, RoundsHalfAwayFromZeroOnTheDigits) {
  EXPECT_EQ(round_decimal("1.18872187554086713609", 4), "1.1887");
  EXPECT_EQ(round_decimal("146.34902855993554351190", 6), "146.349029");
  // Exact halves, which a binary double may round the other way.
  EXPECT_EQ(round_decimal("0.03125", 4), "0.0313");
  EXPECT_EQ(round_decimal("2.00005000000000000000", 4), "2.0001");
  EXPECT_EQ(round_decimal("-0.03125", 4), "-0.0313");
  // Carries through nines into a new digit.
  EXPECT_EQ(round_decimal("9.99995", 4), "10.0000");
  EXPECT_EQ(round_decimal("99.5", 0), "100");
  // Fewer digits than shown are padded; a rounded zero has no sign.
  EXPECT_EQ(round_decimal("3", 2), "3.00");
  EXPECT_EQ(round_decimal("1.5", 4), "1.5000");
  EXPECT_EQ(round_decimal("-0.00001", 4), "0.0000");
  EXPECT_EQ(round_decimal("0.00000000000000000000", 6), "0.000000");
}
