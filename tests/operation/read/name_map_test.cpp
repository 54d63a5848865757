#include "operation/read/name_map.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <string>

namespace {

using namespace operation;

TEST(NameMap, TheFirstEntryOfANameWins) {
  NameMap map;
  EXPECT_EQ(map.find("a"), std::nullopt);
  EXPECT_TRUE(map.emplace("a", arc_t(1, 0, false)));
  EXPECT_FALSE(map.emplace("a", arc_t(2, 1, true)));
  EXPECT_TRUE(map.emplace("", arc_t(3, 2, true)));
  EXPECT_EQ(map.find("a"), arc_t(1, 0, false));
  EXPECT_EQ(map.find(""), arc_t(3, 2, true));
  EXPECT_EQ(map.find("b"), std::nullopt);
  EXPECT_EQ(map.size(), 2U);
}

TEST(NameMap, KeepsShortKeysAndViewsLongOnes) {
  const std::string sixteen(16, 'x'), seventeen(17, 'x'), longest(255, 'y');
  NameMap map;
  map.emplace(sixteen, arc_t(1, 0, false));
  map.emplace(seventeen, arc_t(2, 0, false));
  map.emplace(longest, arc_t(3, 0, false));
  EXPECT_EQ(map.find(std::string(16, 'x')), arc_t(1, 0, false));
  EXPECT_EQ(map.find(std::string(17, 'x')), arc_t(2, 0, false));
  EXPECT_EQ(map.find(std::string(255, 'y')), arc_t(3, 0, false));
  EXPECT_EQ(map.find(std::string(15, 'x')), std::nullopt);
  EXPECT_EQ(map.find(std::string(256, 'y')), std::nullopt);
  EXPECT_THROW(map.emplace(std::string(256, 'z'), arc_t(4, 0, false)), std::runtime_error);
}

TEST(NameMap, GrowsWithoutLosingNames) {
  std::deque<std::string> names;
  NameMap map;
  for (nid_t i = 0; i < 5000; ++i)
    map.emplace(names.emplace_back("n" + std::to_string(i)), arc_t(i, 0, false));
  EXPECT_EQ(map.size(), 5000U);
  for (nid_t i = 0; i < 5000; ++i) EXPECT_EQ(map.find("n" + std::to_string(i)), arc_t(i, 0, false));
  EXPECT_EQ(map.find("n5000"), std::nullopt);
}

}  // namespace
