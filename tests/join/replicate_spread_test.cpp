#include "join/replicate_spread.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

double as_double(const mp_flt& value) { return value.convert_to<double>(); }

}  // namespace

TEST(ReplicateSpread, StandardErrorOfTheMean) {
  set_float_precision(64);
  join::running_spread spread;
  for (const double estimate : {1.0, 2.0, 3.0, 4.0}) spread.add(estimate);
  // Standard deviation sqrt(5/3), divided by sqrt(4).
  EXPECT_DOUBLE_EQ(as_double(spread.standard_error()), std::sqrt(5.0 / 3.0) / 2);
  // Estimates far from 0 and close together lose nothing to cancellation.
  join::running_spread close;
  for (const double estimate : {1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4}) close.add(estimate);
  EXPECT_DOUBLE_EQ(as_double(close.standard_error()), std::sqrt(5.0 / 3.0) / 2);
}

TEST(ReplicateSpread, EachFileIsMeasuredOnItsOwnCounts) {
  set_float_precision(64);
  const fs::path dir = fs::temp_directory_path() / ("replicate_spread_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "r0.csv") << "name,gate,combinations\ng,AND,1 1 1 1\nh,XOR,4 0 0 0\n";
  std::ofstream(dir / "r1.csv") << "name,gate,combinations\nh,XOR,1 1 1 1\ng,AND,4 0 0 0\n";
  CountTable table(true);
  join::replicate_spread spread;
  for (const char* file : {"r0.csv", "r1.csv"}) {
    table.add_file(dir / file);
    spread.add_file(table);
  }
  fs::remove_all(dir);
  EXPECT_EQ(table.file_combs(0), (combs_vector{4, 0, 0, 0}));  // g in the second file
  EXPECT_EQ(table.combs(0), (combs_vector{5, 1, 1, 1}));
  // g: 1.188722 bits and 0; h: 0 and 1 bit; totals 1.188722 and 1. Two replicates: SE = |a − b| / 2.
  const double and_energy = 2 + 0.75 * std::log2(0.75) + 0.25 * std::log2(0.25);
  EXPECT_NEAR(as_double(spread.gate_error(0)), and_energy / 2, 1e-12);
  EXPECT_NEAR(as_double(spread.gate_error(1)), 0.5, 1e-12);
  EXPECT_NEAR(as_double(spread.total_error()), (and_energy - 1) / 2, 1e-12);
}
