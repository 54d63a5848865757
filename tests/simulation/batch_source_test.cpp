#include "simulation/batch_source.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "util/philox.hpp"

namespace {

using counting::settings;
using simulation::batch_source;

std::vector<std::uint64_t> values_of(const batch_source& source, std::uint64_t batch) {
  std::vector<std::uint64_t> values(source.words());
  source.var_values(batch, values);
  return values;
}

settings sampled(std::uint64_t seed, std::uint32_t replicate,
                 counting::sample_kind kind = counting::sample_kind::batch) {
  settings config;
  config.sampling = counting::sampling{1000, seed, replicate, kind};
  return config;
}

std::uint64_t word_of(const std::array<std::uint32_t, 4>& block, int j) {
  return std::uint64_t{block[2 * j + 1]} << 32 | block[2 * j];
}

std::vector<std::uint64_t> table_of(const batch_source& source, std::uint64_t batch, std::uint32_t input) {
  std::vector<std::uint64_t> words(source.table_words());
  source.input_words(batch, input, words);
  return words;
}

}  // namespace

TEST(BatchSource, EnumerationInGrayCodeOrCountingOrder) {
  settings config;
  const counting::input_split split{5, 3, 0, 8, 32};
  const batch_source gray(config, split);
  EXPECT_FALSE(gray.sampled());
  EXPECT_EQ(values_of(gray, 6), std::vector<std::uint64_t>{5});    // 110 ^ 011
  EXPECT_EQ(values_of(gray, 31), std::vector<std::uint64_t>{16});  // 11111 ^ 01111
  config.use_gray_code = false;
  EXPECT_EQ(values_of(batch_source(config, split), 6), std::vector<std::uint64_t>{6});
  EXPECT_EQ(batch_source(config, {0, 3, 0, 8, 1}).words(), 0u);
}

TEST(BatchSource, SamplesArePhiloxWordsKeyedBySeedReplicateAndBatch) {
  const counting::input_split split{130, 4, 0, 16, 1000};  // three words, the last of 2 bits
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
  const counting::input_split split{70, 4, 0, 16, 4000};
  const batch_source source(sampled(0, 0), split);
  std::vector<int> ones(70);
  for (std::uint64_t batch = 0; batch < 4000; ++batch) {
    const std::vector<std::uint64_t> values = values_of(source, batch);
    for (int i = 0; i < 70; ++i) ones[i] += (values[i / 64] >> (i % 64)) & 1;
  }
  // 4000 fair coins: a standard deviation of about 32; 5 of them around 2000.
  for (int i = 0; i < 70; ++i) EXPECT_NEAR(ones[i], 2000, 160) << "var input " << i;
}

TEST(BatchSource, IndependentTablesAreBlocksOfOnePatternStreamPerInput) {
  const auto independent = counting::sample_kind::independent;
  const counting::input_split split{20, 8, 0, 256, 1000};  // 4 words, 2 blocks per table
  const batch_source source(sampled(0x123456789a, 7, independent), split);
  ASSERT_TRUE(source.independent());
  EXPECT_EQ(source.words(), 0u) << "no var values";
  ASSERT_EQ(source.table_words(), 4u);
  const std::uint64_t batch = (std::uint64_t{1} << 31) + 5;  // block 2 * batch passes 2^32
  const std::uint64_t block = 2 * batch;
  const auto first = util::philox4x32({static_cast<std::uint32_t>(block), 1, 3, 7}, {0x3456789a, 0x12});
  const auto second = util::philox4x32({static_cast<std::uint32_t>(block + 1), 1, 3, 7}, {0x3456789a, 0x12});
  EXPECT_EQ(table_of(source, batch, 3), (std::vector<std::uint64_t>{word_of(first, 0), word_of(first, 1),
                                                                    word_of(second, 0), word_of(second, 1)}));
  EXPECT_NE(table_of(source, batch, 4), table_of(source, batch, 3));
  EXPECT_NE(table_of(batch_source(sampled(0x123456789a, 8, independent), split), batch, 3),
            table_of(source, batch, 3));

  // From 2^7 bits on the patterns are one stream: 2 batches of 2^8 are 1 of 2^9.
  const batch_source larger(sampled(0x123456789a, 7, independent), {20, 9, 0, 512, 1000});
  std::vector<std::uint64_t> two = table_of(source, 6, 3);
  const std::vector<std::uint64_t> next = table_of(source, 7, 3);
  two.insert(two.end(), next.begin(), next.end());
  EXPECT_EQ(table_of(larger, 3, 3), two);

  // A table of fewer than 64 bits keeps the low bits of block `batch`.
  const batch_source small(sampled(0, 2, independent), {25, 3, 0, 8, 1000});
  ASSERT_EQ(small.table_words(), 1u);
  EXPECT_EQ(table_of(small, 9, 1)[0], util::philox4x32({9, 0, 1, 2}, {0, 0})[0] & 0xffu);
}

TEST(BatchSource, IndependentPatternsAreFairAndUnrelatedAcrossInputs) {
  const batch_source source(sampled(3, 0, counting::sample_kind::independent), {30, 12, 0, 4096, 100});
  // 100 batches of 4096 patterns: a standard deviation of 320 in the ones of an input and in the
  // agreements of two.
  for (std::uint32_t input = 0; input < 4; ++input) {
    std::int64_t ones = 0, agreements = 0;
    for (std::uint64_t batch = 0; batch < 100; ++batch) {
      const std::vector<std::uint64_t> mine = table_of(source, batch, input),
                                       other = table_of(source, batch, input + 1);
      for (std::size_t w = 0; w < mine.size(); ++w) {
        ones += std::popcount(mine[w]);
        agreements += std::popcount(~(mine[w] ^ other[w]));
      }
    }
    EXPECT_NEAR(ones, 204800, 1600) << "input " << input;
    EXPECT_NEAR(agreements, 204800, 1600) << "inputs " << input << " and " << input + 1;
  }
}
