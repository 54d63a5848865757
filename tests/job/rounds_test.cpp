#include "job/rounds.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Rounds, RelativeErrorHasThreeSignificantDigits) {
  EXPECT_EQ(job::relative_error("146.3895237", "0.1393954"), "0.000952");
  EXPECT_EQ(job::relative_error("-2.0", "0.5"), "0.25");  // of the total's size
  EXPECT_EQ(job::relative_error("12345.6", "1.11"), "8.99e-05");
  EXPECT_EQ(job::relative_error("0", "0.1"), "inf");
  EXPECT_EQ(job::relative_error("0", "0"), "0");
}

TEST(Rounds, ReplicatesGrowInWholeRoundsUpToTwice) {
  // An error twice the target asks for four times the replicates: capped at twice as many.
  EXPECT_EQ(job::grown_replicates(16, 16, 2e-4, 1e-4), 32u);
  // 1.2 times the target: 16 * 1.44 = 23.04 replicates, so one more round of 4 than 20.
  EXPECT_EQ(job::grown_replicates(16, 4, 1.2e-4, 1e-4), 24u);
  // An error at the target still adds a round; an infinite or undefined one doubles.
  EXPECT_EQ(job::grown_replicates(10, 5, 1e-4, 1e-4), 15u);
  EXPECT_EQ(job::grown_replicates(10, 5, std::numeric_limits<double>::infinity(), 1e-4), 20u);
  EXPECT_EQ(job::grown_replicates(10, 5, std::nan(""), 1e-4), 20u);
  // Never beyond 2^32 replicates.
  EXPECT_EQ(job::grown_replicates(std::uint64_t{3} << 30, std::uint64_t{1} << 30, 1, 1e-4),
            std::uint64_t{1} << 32);
}
