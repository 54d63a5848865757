#include "util/eta.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

void wait_a_little() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

}  // namespace

TEST(Eta, OneSlotRingMeasuresFromTheConstructionSample) {
  const double before = util::eta<double>::time_since_epoch();
  util::eta<double> estimator(1, 0.0);
  const double after = util::eta<double>::time_since_epoch();
  wait_a_little();
  double now = 0;
  // A quarter done: three times the elapsed time remains.
  const double estimate = estimator.get(0.25, now);
  EXPECT_GE(estimate, 3 * (now - after));
  EXPECT_LE(estimate, 3 * (now - before));
  EXPECT_GT(estimate, 0.05);
  // Still measured from construction, however often it is asked.
  wait_a_little();
  const double later = estimator.get(std::uint64_t{1}, std::uint64_t{4});
  EXPECT_GT(later, estimate);
}

TEST(Eta, AddReturnsTheEstimateAndDropsTheOldestSample) {
  util::eta<double> estimator(2, 0.0);
  wait_a_little();
  double added_at = 0;
  const double first = estimator.add(0.5);
  EXPECT_GT(first, 0.0);  // half done after some time: about as long again
  (void)estimator.get(0.5, added_at);
  wait_a_little();
  // The construction sample has been dropped: the rate is now measured from the sample at 0.5.
  double now = 0;
  const double estimate = estimator.get(0.75, now);
  EXPECT_GE(estimate, now - added_at);
  EXPECT_LE(estimate, now - added_at + 0.01);

  util::eta<double> one(1, 0.0);
  wait_a_little();
  const double before_add = util::eta<double>::time_since_epoch();
  one.add(0.5);  // a one-slot ring replaces its only sample
  const double replaced = one.get(0.75, now);
  EXPECT_LE(replaced, now - before_add);
}

TEST(Eta, CopiesMovesAndEmptyEstimators) {
  util::eta<double> original(3, 0.5);
  util::eta<double> copy(original);
  util::eta<double> moved(std::move(original));
  EXPECT_TRUE(std::isinf(original.get(0.9)));  // moved-from: no samples
  EXPECT_FALSE(std::isinf(copy.get(0.9)));
  EXPECT_FALSE(std::isinf(moved.get(0.9)));
  util::eta<double> empty;
  EXPECT_TRUE(std::isinf(empty.add(0.5)));
  empty = copy;
  EXPECT_FALSE(std::isinf(empty.get(0.9)));
  empty.free();
  empty.free();
  EXPECT_TRUE(std::isinf(empty.get(0.9)));
}
