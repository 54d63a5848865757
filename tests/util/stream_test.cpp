#include "util/stream.hpp"

#include <gtest/gtest.h>

#include <string>

TEST(NullStream, AcceptsAnyAmountAndStaysGood) {
  const std::string chunk(700, 'x');
  for (int i = 0; i < 10; ++i) {
    util::null_ostr << chunk << i << '\n';
  }
  util::null_ostr.flush();
  EXPECT_TRUE(util::null_ostr.good());
}
