#include "operation/read/exception.hpp"

#include <gtest/gtest.h>

#include <string>

TEST(ReadException, PrefixesTheLineNumberWhenKnown) {
  EXPECT_STREQ(operation::ReadException("Unknown gate `X`.").what(), "Unknown gate `X`.");
  EXPECT_STREQ(operation::ReadException("bad", 0).what(), "bad");
  EXPECT_STREQ(operation::ReadException("bad", 7).what(), "Line 7: bad");
  const std::string long_line = operation::ReadException("x", 18446744073709551615ull).what();
  EXPECT_EQ(long_line, "Line 18446744073709551615: x");
}
