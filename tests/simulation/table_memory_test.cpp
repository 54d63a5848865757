#include "simulation/table_memory.hpp"

#include <gtest/gtest.h>

#include "../operation/circuit_text.hpp"
#include "counting/split_errors.hpp"

using simulation::logic_tables_alive;

TEST(TableMemory, CountsTablesAliveAtOnce) {
  // Without the cache g1 and g2 die at their last reader g3; g4 has no logic reader and lives on.
  const auto chain =
      circuit_text::parse({"a = I", "b = I", "g1 = AND( a_0 , b_0 )", "g2 = OR( g1_0 , a_0 )",
                           "g3 = XOR( g1_0 , g2_0 )", "g4 = AND( g3_0 , b_0 )", "o-0 = O( g4_0 )"});
  EXPECT_EQ(logic_tables_alive(chain, false), 4u);
  EXPECT_EQ(logic_tables_alive(chain, true), 4u);

  // The wire keeps last batch's g1 until it copies the new one: both exist while g1 is evaluated.
  const auto shared = circuit_text::parse(
      {"a = I", "b = I", "g1 = AND( a_0 , b_0 )", "w = ( g1_0 )", "g2 = OR( g1_0 , b_0 )"});
  EXPECT_EQ(logic_tables_alive(shared, false), 3u);
  // With the cache the wire shares g1's table, so g1's next one cannot overwrite it in place.
  EXPECT_EQ(logic_tables_alive(shared, true), 3u);

  // Recycling gates pass their inputs' tables on; port 1 is their own.
  const auto recycled = circuit_text::parse(
      {"a = I", "b = I", "r = REC2.AND( a_0 , b_0 )", "g = OR( r_0 , r_2 )", "h = AND( g_0 , r_1 )"});
  EXPECT_EQ(logic_tables_alive(recycled, false), 3u);
  EXPECT_EQ(logic_tables_alive(recycled, true), 3u);
}

TEST(TableMemory, RefusesTablesBeyondMemoryAndAdvisesUseBits) {
  constexpr std::uint64_t gib = std::uint64_t{1} << 30;
  EXPECT_NO_THROW(simulation::check_table_memory(100, 20, {gib, 0, std::nullopt, 0}));
  try {
    simulation::check_table_memory(100, 30, {2 * gib, gib, std::nullopt, 0});
    FAIL();
  } catch (const simulation::tables_too_large& error) {
    EXPECT_STREQ(
        error.what(),
        "The value tables need 16.375 GiB (131 tables of 128.000 MiB), but only 1.000 GiB of physical "
        "memory is left; '-use-bits' 26 or less would fit.");
  }
  try {
    simulation::check_table_memory(100, 20, {8 * gib, 0, gib / 2 + 1000, gib / 2});
    FAIL();
  } catch (const simulation::tables_too_large& error) {
    EXPECT_STREQ(error.what(),
                 "The value tables need 15.132 MiB (121 tables of 128.062 KiB), but only 1000.000 B of the "
                 "memory limit is left; no '-use-bits' would fit.");
  }
}

TEST(TableMemory, ExtraCopiesTakeAtMostHalfOfTheRoomLeft) {
  constexpr std::uint64_t gib = std::uint64_t{1} << 30;
  const std::uint64_t one = 121 * simulation::table_bytes(20);  // 100 logic tables, 20 use inputs, zero
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {gib, 0, std::nullopt, 0}, 16), 16u);
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {gib, 0, std::nullopt, 0}, 0), 1u);
  // One copy beyond the first needs twice its size left over.
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {3 * one - 1, 0, std::nullopt, 0}, 16), 1u);
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {3 * one, 0, std::nullopt, 0}, 16), 2u);
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {gib + 5 * one, gib, std::nullopt, 0}, 16), 3u);
  // The limit counts against mapped memory and binds when it leaves less than the physical memory.
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {8 * gib, 0, gib + 3 * one, gib}, 16), 2u);
  // Not even one copy fits: the check before refuses the run; this never answers 0.
  EXPECT_EQ(simulation::copies_that_fit(100, 20, {one / 2, 0, std::nullopt, 0}, 16), 1u);
}
