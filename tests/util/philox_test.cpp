#include "util/philox.hpp"

#include <gtest/gtest.h>

// The published known answers of Philox4x32-10: a sampled run's batches are only reproducible
// elsewhere if the generator is exactly this one.
TEST(Philox, KnownAnswers) {
  using block = std::array<std::uint32_t, 4>;
  EXPECT_EQ(util::philox4x32({0, 0, 0, 0}, {0, 0}), (block{0x6627e8d5, 0xe169c58d, 0xbc57ac4c, 0x9b00dbd8}));
  EXPECT_EQ(util::philox4x32({0xffffffff, 0xffffffff, 0xffffffff, 0xffffffff}, {0xffffffff, 0xffffffff}),
            (block{0x408f276d, 0x41c83b0e, 0xa20bc7c6, 0x6d5451fd}));
  EXPECT_EQ(util::philox4x32({0x243f6a88, 0x85a308d3, 0x13198a2e, 0x03707344}, {0xa4093822, 0x299f31d0}),
            (block{0xd16cfe09, 0x94fdcceb, 0x5001e420, 0x24126ea1}));
}
