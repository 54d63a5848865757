#include "simulation/use_bits_choice.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../operation/circuit_text.hpp"

namespace {

constexpr std::uint64_t gib = std::uint64_t{1} << 30;
const counting::memory_room plenty{64 * gib, 0, std::nullopt, 0};

// A circuit of `inputs` inputs and `gates` ANDs, each reading the first two inputs.
operation::Circuit circuit_of(unsigned inputs, unsigned gates = 1) {
  std::vector<std::string> lines;
  for (unsigned i = 0; i < inputs; ++i) lines.push_back("i" + std::to_string(i) + " = I");
  for (unsigned g = 0; g < gates; ++g) lines.push_back("g" + std::to_string(g) + " = AND( i0_0 , i1_0 )");
  return circuit_text::parse(lines);
}

// A circuit of `inputs` inputs and a chain of `gates` ANDs, each reading the one before: a run
// without the cache holds two tables at once.
operation::Circuit chain_of(unsigned inputs, unsigned gates) {
  std::vector<std::string> lines;
  for (unsigned i = 0; i < inputs; ++i) lines.push_back("i" + std::to_string(i) + " = I");
  lines.push_back("g0 = AND( i0_0 , i1_0 )");
  for (unsigned g = 1; g < gates; ++g)
    lines.push_back("g" + std::to_string(g) + " = AND( g" + std::to_string(g - 1) + "_0 , i1_0 )");
  return circuit_text::parse(lines);
}

std::uint32_t choose(const operation::Circuit& circuit, std::uint64_t threads, bool cache = true,
                     std::uint32_t sel_bits = 0, const counting::memory_room& room = plenty) {
  counting::settings config;
  config.use_cache = cache;
  config.sel_bits = sel_bits;
  return simulation::choose_use_bits(circuit, config, threads, room);
}

}  // namespace

TEST(UseBitsChoice, TablesOfTheCachesSizeWithEnoughVarBitsForEveryThread) {
  // Small circuits: all inputs in one batch, tables no larger than 2^13 bits.
  EXPECT_EQ(choose(circuit_of(7), 2), 7u);
  EXPECT_EQ(choose(circuit_of(13), 64), 13u);
  // Var bits are taken from the tables down to 2^13 bits: log2(threads) + 7 with the cache.
  EXPECT_EQ(choose(circuit_of(20), 2), 13u);
  EXPECT_EQ(choose(circuit_of(22), 2), 14u);
  EXPECT_EQ(choose(circuit_of(40), 2), 14u);
  EXPECT_EQ(choose(circuit_of(24), 16), 13u);  // 24 - 4 - 7
  EXPECT_EQ(choose(circuit_of(40), 1000), 14u);
  // Without the cache larger tables and fewer var bits (+ 3).
  EXPECT_EQ(choose(circuit_of(24), 2, false), 16u);
  EXPECT_EQ(choose(circuit_of(18), 2, false), 14u);
  // The sel bits are fixed by the worker: only the rest is split.
  EXPECT_EQ(choose(circuit_of(24), 2, true, 8), 13u);
  EXPECT_EQ(choose(circuit_of(24), 2, true, 20), 4u);
}

TEST(UseBitsChoice, VarBitsStayBelow64WhileTheUseBitsCanTakeTheRest) {
  EXPECT_EQ(choose(circuit_of(80), 2), 17u);
  EXPECT_EQ(choose(circuit_of(80), 2, true, 20), 14u);
}

TEST(UseBitsChoice, SmallerTablesWhenMemoryIsShort) {
  const operation::Circuit circuit = circuit_of(30, 1000);
  const std::uint64_t tables = simulation::logic_tables_alive(circuit, true);
  // Room for one copy of 2^14-bit tables but not for a copy per thread: 2^13 bits.
  const counting::memory_room one_copy{(tables + 15) * simulation::table_bytes(14) + 1, 0, std::nullopt, 0};
  EXPECT_EQ(choose(circuit, 2, true, 0, one_copy), 13u);
  // Room for neither: smaller still, down to what fits.
  const counting::memory_room tight{(tables + 11) * simulation::table_bytes(10), 0, std::nullopt, 0};
  EXPECT_EQ(choose(circuit, 2, true, 0, tight), 10u);
  // The address-space limit counts as well.
  const counting::memory_room limited{64 * gib, 0, (tables + 11) * simulation::table_bytes(10), 0};
  EXPECT_EQ(choose(circuit, 2, true, 0, limited), 10u);
}

TEST(UseBitsChoice, LargerTablesWhenTheCacheCannotKeepEveryTable) {
  // 100 gates of 2^14-bit tables fit in the cache's 4 MiB: it keeps them all, at 14 use bits.
  EXPECT_EQ(choose(chain_of(24, 100), 2), 14u);
  // 4000 gates (8 MiB of tables) do not: the tables of a run without the cache suit it best.
  EXPECT_EQ(choose(chain_of(24, 4000), 2), 16u);
  EXPECT_EQ(choose(chain_of(24, 4000), 2, false), 16u);
}
