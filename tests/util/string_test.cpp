#include "util/string.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/container.hpp"
#include "util/vector.hpp"

using namespace util::string;
using views = std::vector<std::string_view>;

TEST(StringSplit, CutsAtTheFirstDelimiterAndHandsOutTheRest) {
  std::string_view rest;
  EXPECT_EQ(lsplit("name=AND@0", "=", rest), "name");
  EXPECT_EQ(rest, "AND@0");
  EXPECT_EQ(lsplit("no-delimiter", "=", rest), "no-delimiter");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(split("a b;c", " ;", rest), "a");
  EXPECT_EQ(rest, "b;c");
  EXPECT_EQ(lsplit("=x", "=", rest), "");
  EXPECT_EQ(rest, "x");
}

TEST(StringSplit, SplitAllKeepsInnerEmptyTokensButNoTrailingOne) {
  EXPECT_EQ(split_all("", ","), views{});
  EXPECT_EQ(split_all("x", ","), views{"x"});
  EXPECT_EQ(split_all(",x", ","), (views{"", "x"}));
  EXPECT_EQ(split_all("x,", ","), views{"x"});
  EXPECT_EQ(split_all("a,,b", ","), (views{"a", "", "b"}));
  EXPECT_EQ(split_all("1 2 3 4", " ", 2), (views{"1", "2"}));
}

TEST(StringTrim, RemovesOnlyCharactersOfTheSet) {
  EXPECT_EQ(trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(ltrim("  a "), "a ");
  EXPECT_EQ(rtrim("  a "), "  a");
  EXPECT_EQ(trim(" \f\n\r\t\v"), "");
  EXPECT_EQ(trim("(~b),", " ,();~"), "b");
  EXPECT_EQ(trim(""), "");
}

TEST(StringNumbers, ReadAndFormat) {
  EXPECT_EQ(to_unsigned<std::uint32_t>("42"), 42u);
  EXPECT_EQ(to_unsigned<std::uint32_t>("007"), 7u);
  EXPECT_EQ(to_unsigned<std::uint32_t>("4294967295"), 4294967295u);
  EXPECT_EQ(to_unsigned<std::uint64_t>("18446744073709551615"), 18446744073709551615u);
  // Anything but plain decimal digits within the type's range is refused.
  for (const char* text : {"", "17abc", "abc", "-1", "+1", " 1", "1 ", "4294967296", "0x10"})
    EXPECT_EQ(to_unsigned<std::uint32_t>(text), std::nullopt) << text;
  EXPECT_EQ(to_unsigned<std::uint64_t>("18446744073709551616"), std::nullopt);
  EXPECT_EQ(fromf(0.5, 5), "0.50000");
  EXPECT_EQ(fromf(2.0, 0), "2");
  EXPECT_EQ(fromf(1.0 / 3.0, 18), "0.333333333333333315");
  EXPECT_EQ(fromi(7u, 3, ' '), "  7");
  EXPECT_EQ(fromi(1234u, 3, ' '), "1234");
  EXPECT_EQ(concat("Unknown gate `", std::string_view("FOO"), "`.", 12, ' ', 1.5), "Unknown gate `FOO`.12 1.5");
}

TEST(Containers, RangeAndRealClear) {
  std::vector<int> values{1, 2, 3, 4};
  util::container<std::vector<int>::iterator, std::vector<int>::const_iterator> range(values.begin() + 1, 2);
  EXPECT_EQ(range.size(), 2u);
  EXPECT_EQ(range[1], 3);
  EXPECT_EQ(*range.rbegin(), 3);
  EXPECT_FALSE(range.empty());

  values.reserve(1000);
  util::vector::real_clear(values);
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(values.capacity(), 0u);
}
