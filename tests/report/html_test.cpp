#include "report/html.hpp"

#include <gtest/gtest.h>

TEST(Html, EscapesWhatMarkupWouldRead) {
  EXPECT_EQ(report::escape(R"(\a<b> & "c" 'd')"), R"(\a&lt;b&gt; &amp; &quot;c&quot; &#39;d&#39;)");
  EXPECT_EQ(report::escape("n118"), "n118");
}

TEST(Html, NumbersWithTrueMinusSigns) {
  EXPECT_EQ(report::fixed(1.23456, 3), "1.235");
  EXPECT_EQ(report::fixed(-2.5, 1), "−2.5");
  EXPECT_EQ(report::fixed(-0.0001, 2), "0.00");  // a rounded zero has no sign
  EXPECT_EQ(report::scientific(4.2019e-19, 3), "4.202 × 10<sup>−19</sup>");
  EXPECT_EQ(report::scientific(9.9996e5, 3), "1.000 × 10<sup>6</sup>");  // the mantissa carries to 10
  EXPECT_EQ(report::scientific(0, 3), "0.000");
}
