#include "util/unit.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string_view>
#include <tuple>

using unit = std::tuple<double, std::string_view, std::string_view>;

TEST(BinaryUnit, SwitchesUnitExactlyAtEachPowerOf1024) {
  EXPECT_EQ(util::unit::binary(0), unit(0.0, "", ""));
  EXPECT_EQ(util::unit::binary(1023), unit(1023.0, "", ""));
  EXPECT_EQ(util::unit::binary(1024), unit(1.0, "Ki", "kibi"));
  EXPECT_EQ(util::unit::binary(1536), unit(1.5, "Ki", "kibi"));
  EXPECT_EQ(util::unit::binary((1ull << 20) - 1024), unit(1023.0, "Ki", "kibi"));
  EXPECT_EQ(util::unit::binary(1ull << 20), unit(1.0, "Mi", "mibi"));
  EXPECT_EQ(util::unit::binary(3ull << 30), unit(3.0, "Gi", "gibi"));
  EXPECT_EQ(util::unit::binary(1ull << 40), unit(1.0, "Ti", "tebi"));
  EXPECT_EQ(util::unit::binary(1ull << 50), unit(1.0, "Pi", "pebi"));
  EXPECT_EQ(util::unit::binary(1ull << 60), unit(1.0, "Ei", "exbi"));
  // The largest count rounds to 2^64 as a double: 16 exbi.
  EXPECT_EQ(util::unit::binary(std::numeric_limits<std::uint64_t>::max()), unit(16.0, "Ei", "exbi"));
}
