#include "run/probes.hpp"

#include <gtest/gtest.h>

#include <random>

#include "../operation/circuit_text.hpp"
#include "../simulation/reference.hpp"

namespace {

using operation::Circuit;

Circuit random_circuit(operation::nid_t inputs, operation::nid_t gates, unsigned seed) {
  std::mt19937 random(seed);
  return circuit_text::parse(reference::random_circuit(random, inputs, gates, false));
}

TEST(Probes, PredictEnumerationFromTheShareItCovers) {
  const Circuit small = random_circuit(8, 40, 1);
  const run::enumeration_cost whole = run::predict_enumeration(small, small.get_ranks(), 10);
  EXPECT_TRUE(whole.countable);
  EXPECT_TRUE(whole.done);
  EXPECT_LT(whole.seconds, 10);

  // 2^40 assignments are far beyond a probe of 50 ms: a prediction, longer than the probe.
  const Circuit wide = random_circuit(40, 200, 2);
  const run::enumeration_cost part = run::predict_enumeration(wide, wide.get_ranks(), 0.05);
  EXPECT_TRUE(part.countable);
  EXPECT_FALSE(part.done);
  EXPECT_GT(part.seconds, 1.0);
  EXPECT_LT(part.seconds, 1e30);

  // Beyond 60 inputs nothing is run: no single worker enumerates that.
  const Circuit too_wide = random_circuit(61, 20, 3);
  EXPECT_FALSE(run::predict_enumeration(too_wide, too_wide.get_ranks(), 10).countable);
}

TEST(Probes, SamplingCostsAreMeasured) {
  const Circuit circuit = random_circuit(30, 100, 4);
  const run::sampling_cost cost = run::measure_sampling(circuit, circuit.get_ranks(), 0.05);
  EXPECT_GT(cost.per_sample, 0);
  EXPECT_LT(cost.per_sample, 0.05);
  EXPECT_GE(cost.setup, 0);
  EXPECT_LT(cost.setup, 1);
}

TEST(Probes, SecondsTextHasThreeSignificantDigits) {
  EXPECT_EQ(run::seconds_text(0.0123456), "0.0123 s");
  EXPECT_EQ(run::seconds_text(45678), "4.57e+04 s");
}

}  // namespace
