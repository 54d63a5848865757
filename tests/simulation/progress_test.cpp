#include "simulation/progress.hpp"

#include <gtest/gtest.h>

using simulation::progress;

TEST(Progress, TimeChecksPredictOnlyFromTheThirdBatchAndFiveSeconds) {
  int asked = 0;
  const auto eta = [&] {
    ++asked;
    return 100.0;  // predicted total far beyond three times the limit of 10 s
  };
  EXPECT_TRUE(progress::time_is_up(10.5, 0, 10, false, eta));
  EXPECT_FALSE(progress::time_is_up(9.0, 100, 10, false, eta));
  EXPECT_FALSE(progress::time_is_up(9.0, 2, 10, true, eta));
  EXPECT_FALSE(progress::time_is_up(5.0, 3, 10, true, eta));
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(progress::time_is_up(5.5, 3, 10, true, eta));
  EXPECT_FALSE(progress::time_is_up(5.5, 3, 40, true, eta));  // 105.5 s is less than 120
  EXPECT_EQ(asked, 2);
}

TEST(Progress, LinesShowScaledMemoryAndFixedDecimals) {
  EXPECT_EQ(progress::line(3, 8, 12, 1536, 0.25, 1.0 / 3),
            "\r\x1b[K3 / 8: same = 12, memory = 1.500 KiB, time = 0.250s, ETA = 0.333s");
  EXPECT_EQ(progress::line(1, 1, 0, 1000, 0, 0),
            "\r\x1b[K1 / 1: same = 0, memory = 1000.000 B, time = 0.000s, ETA = 0.000s");
  EXPECT_EQ(progress::summary(7, 3u << 20, 2, "out-of-time"),
            "simulation: same = 7, memory = 3.00000 MiB, time = 2.00000s, status = out-of-time");
}
