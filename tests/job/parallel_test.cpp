#include "job/parallel.hpp"

#include <gtest/gtest.h>

#include <string>

// --resume-failed must run again the workers without a complete result, even those it recorded as
// successful (out-of-time), and skip the others.
TEST(Parallel, JobLogForgetsThePendingWorkersOnly) {
  const std::string joblog =
      "Seq\tHost\tStarttime\n"
      "1\t:\t1.0\n"
      "2\t:\t2.0\n"
      "3\t:\t3.0\n"
      "12\t:\t4.0\n";
  // GNU parallel numbers worker W as W + 1.
  EXPECT_EQ(job::forget_pending(joblog, {{1, "out-of-time"}, {11, "failed"}}),
            "Seq\tHost\tStarttime\n1\t:\t1.0\n3\t:\t3.0\n");
  EXPECT_EQ(job::forget_pending(joblog, {{0, "not run"}}),
            "Seq\tHost\tStarttime\n2\t:\t2.0\n3\t:\t3.0\n12\t:\t4.0\n");
}
