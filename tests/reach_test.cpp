#include "reach.hpp"

#include <gtest/gtest.h>

#include <random>
#include <utility>

TEST(ReachLayout, RowsArePaddedToWholeWords) {
  EXPECT_EQ(Reach(64, 3).buckets_total(), 3u);
  EXPECT_EQ(Reach::count_buckets(0), 0u);
  EXPECT_EQ(Reach::count_buckets(4294967295u), 67108864u);
  Reach wide(65, 3);
  EXPECT_EQ(wide.buckets_total(), 6u);
  EXPECT_EQ(wide.get_offset(1, 64), 3u);
  EXPECT_EQ(Reach::convert_pos(64), (std::pair<Reach::nid_t, Reach::nid_t>{1, 0}));
  wide.set(1, 64);
  EXPECT_EQ(wide.count(0) + wide.count(2), 0u);
  EXPECT_EQ(wide.count(1), 1u);
  EXPECT_EQ(wide.count_col(64, 0), 1u);
  EXPECT_EQ(wide.count_col(0, 0), 0u);
}

TEST(ReachCount, CountsRowsAndColumns) {
  Reach reach(100, 4);
  EXPECT_EQ(reach.count(2), 0u);
  reach.set(2, 0);
  reach.set(2, 63);
  reach.set(2, 63);
  EXPECT_EQ(reach.count(2), 2u);
  reach.set(0, 99);
  reach.set(3, 99);
  EXPECT_EQ(reach.count_col(99, 0), 2u);
  EXPECT_EQ(reach.count_col(99, 1), 1u);
  EXPECT_EQ(reach.count_col(99, 4), 0u);
}

TEST(ReachCount, AllColumnsInOnePassMatchColumnByColumn) {
  std::mt19937 random(7);
  // 600 rows span several blocks of the byte-lane counters; the widths cover partial and whole words.
  for (const Reach::nid_t width : {0u, 1u, 64u, 65u, 130u}) {
    Reach reach(width, 600);
    for (Reach::nid_t row = 0; row < 600; ++row)
      for (Reach::nid_t col = 0; col < width; ++col)
        if (random() % 3 != 0 || row < 300) reach.set(row, col);
    for (const Reach::nid_t start : {0u, 7u, 599u, 600u}) {
      const std::vector<Reach::nid_t> counts = reach.count_cols(start);
      ASSERT_EQ(counts.size(), width);
      for (Reach::nid_t col = 0; col < width; ++col) ASSERT_EQ(counts[col], reach.count_col(col, start));
    }
  }
}

TEST(ReachRows, CopyAndUnionWorkInPlace) {
  Reach reach(130, 3);
  reach.set(0, 1);
  reach.set(0, 129);
  reach.set(1, 1);
  reach.set(1, 64);
  reach.make_union(2, 0, 1);
  EXPECT_EQ(reach.count(2), 3u);
  reach.make_union(0, 0, 1);
  EXPECT_EQ(reach.count(0), 3u);
  EXPECT_EQ(reach.count(1), 2u);
  reach.copy(1, 1);
  reach.copy(2, 1);
  EXPECT_EQ(reach.count(2), 2u);
  EXPECT_EQ(reach.count_col(129, 0), 1u);
}

TEST(ReachRows, WidthZeroHasEmptyRows) {
  Reach reach(0, 5);
  reach.copy(1, 2);
  reach.make_union(0, 1, 2);
  EXPECT_EQ(reach.count(4), 0u);
  const Reach copy(reach);
  EXPECT_EQ(copy.height(), 5u);
  EXPECT_EQ(copy.count(0), 0u);
}

TEST(ReachSet, ThreadsSettingCellsOfTheSameWordLoseNothing) {
  constexpr Reach::nid_t width = 130;
  constexpr Reach::nid_t height = 2000;
  Reach reach(width, height);
#pragma omp parallel for schedule(static, 1)
  for (Reach::nid_t col = 0; col < width; ++col)
    for (Reach::nid_t row = 0; row < height; ++row) reach.set(row, col);
  for (Reach::nid_t row = 0; row < height; ++row) ASSERT_EQ(reach.count(row), width);
}

TEST(ReachMemory, CopiesAreDeepAndMovesEmptyTheSource) {
  Reach original(70, 2);
  original.set(1, 69);
  Reach copy(original);
  copy.set(0, 0);
  EXPECT_EQ(original.count(0), 0u);
  Reach assigned(5, 5);
  assigned = copy;
  assigned = assigned;
  EXPECT_EQ(assigned.width(), 70u);
  EXPECT_EQ(assigned.count(0) + assigned.count(1), 2u);

  Reach moved(std::move(copy));
  EXPECT_EQ(copy.width() + copy.height(), 0u);
  assigned = std::move(moved);
  assigned = std::move(assigned);
  EXPECT_EQ(moved.height(), 0u);
  EXPECT_EQ(assigned.count(0) + assigned.count(1), 2u);
  assigned.free();
  assigned.free();
  EXPECT_EQ(assigned.size(), 0u);
}
