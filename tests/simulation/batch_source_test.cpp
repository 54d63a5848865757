#include "simulation/batch_source.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "util/philox.hpp"

namespace {

using simulation::batch_source;
using simulation::settings;

std::vector<std::uint64_t> values_of(const batch_source& source, std::uint64_t batch) {
  std::vector<std::uint64_t> values(source.words());
  source.var_values(batch, values);
  return values;
}

settings sampled(std::uint64_t seed, std::uint32_t replicate) {
  settings config;
  config.sampling = simulation::sampling{1000, seed, replicate};
  return config;
}

}  // namespace

TEST(BatchSource, EnumerationInGrayCodeOrCountingOrder) {
  settings config;
  const simulation::input_split split{5, 3, 0, 8, 32};
  const batch_source gray(config, split);
  EXPECT_FALSE(gray.sampled());
  EXPECT_EQ(values_of(gray, 6), std::vector<std::uint64_t>{5});    // 110 ^ 011
  EXPECT_EQ(values_of(gray, 31), std::vector<std::uint64_t>{16});  // 11111 ^ 01111
  config.use_gray_code = false;
  EXPECT_EQ(values_of(batch_source(config, split), 6), std::vector<std::uint64_t>{6});
  EXPECT_EQ(batch_source(config, {0, 3, 0, 8, 1}).words(), 0u);
}

TEST(BatchSource, SamplesArePhiloxWordsKeyedBySeedReplicateAndBatch) {
  const simulation::input_split split{130, 4, 0, 16, 1000};  // three words, the last of 2 bits
  const batch_source source(sampled(0x123456789a, 7), split);
  ASSERT_TRUE(source.sampled());
  ASSERT_EQ(source.words(), 3u);
  const std::uint64_t batch = (std::uint64_t{5} << 32) + 3;
  const auto first = util::philox4x32({3, 5, 0, 7}, {0x3456789a, 0x12});
  const auto second = util::philox4x32({3, 5, 1, 7}, {0x3456789a, 0x12});
  const std::vector<std::uint64_t> values = values_of(source, batch);
  EXPECT_EQ(values[0], std::uint64_t{first[1]} << 32 | first[0]);
  EXPECT_EQ(values[1], std::uint64_t{first[3]} << 32 | first[2]);
  EXPECT_EQ(values[2], second[0] & 3u) << "bits past the var inputs are 0";
  EXPECT_EQ(values_of(batch_source(sampled(0x123456789a, 7), split), batch), values) << "a pure function";
  EXPECT_NE(values_of(batch_source(sampled(0x123456789a, 8), split), batch), values);
  EXPECT_NE(values_of(batch_source(sampled(0x123456789b, 7), split), batch), values);
}

TEST(BatchSource, EverySampledInputIsOneHalfOfTheTime) {
  const simulation::input_split split{70, 4, 0, 16, 4000};
  const batch_source source(sampled(0, 0), split);
  std::vector<int> ones(70);
  for (std::uint64_t batch = 0; batch < 4000; ++batch) {
    const std::vector<std::uint64_t> values = values_of(source, batch);
    for (int i = 0; i < 70; ++i) ones[i] += (values[i / 64] >> (i % 64)) & 1;
  }
  // 4000 fair coins: a standard deviation of about 32; 5 of them around 2000.
  for (int i = 0; i < 70; ++i) EXPECT_NEAR(ones[i], 2000, 160) << "var input " << i;
}
