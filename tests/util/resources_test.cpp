#include "util/resources.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <memory>

TEST(Rss, ProbesSeeTouchedMemory) {
  EXPECT_GT(util::rss::current(), 0u);
  constexpr std::size_t size = 64u << 20;
  std::unique_ptr<char[]> block(new char[size]);
  std::memset(block.get(), 1, size);
  EXPECT_GE(util::rss::current(), size);
  EXPECT_GE(util::rss::peak(), size);
  EXPECT_GE(util::rss::peak(), util::rss::current() / 2);
  EXPECT_GE(util::rss::address_space(), util::rss::current());
  EXPECT_GE(util::rss::physical(), util::rss::current());
}

TEST(RssDeathTest, LimitSetsTheAddressSpaceSoftLimit) {
  EXPECT_EXIT(
      {
        const bool set = util::rss::limit(1ull << 62);  // far above what sanitizers reserve
        rlimit current{};
        getrlimit(RLIMIT_AS, &current);
        std::exit(set && current.rlim_cur == (1ull << 62) && current.rlim_max == RLIM_INFINITY ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}
