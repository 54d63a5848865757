// Runs the built fullsim program and reads the count file it writes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "operation/operation.hpp"

namespace fullsim_run {

// One row of a count file.
struct row {
  std::string name, gate;
  std::vector<operation::cmb_t> counts;
  bool operator==(const row&) const = default;
  friend void PrintTo(const row& r, std::ostream* out) {
    *out << r.name << "," << r.gate << "," << testing::PrintToString(r.counts);
  }
};

// The rows of a count file, whose header it checks.
inline std::vector<row> read_rows(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  EXPECT_EQ(line, "name,gate,combinations") << path;
  std::vector<row> rows;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    row r;
    std::getline(fields, r.name, ',');
    std::getline(fields, r.gate, ',');
    for (operation::cmb_t count; fields >> count;) r.counts.push_back(count);
    rows.push_back(r);
  }
  return rows;
}

// Runs `ENV fullsim NETLIST ARGS -print-every 0 -o COUNTS` (`env`: variable settings or empty),
// expecting success.
inline void run(const std::filesystem::path& netlist, const std::string& args,
                const std::filesystem::path& counts, const std::string& env = "") {
  const std::string command = env + " " + INFOLOSS_FULLSIM + " " + netlist.string() + " " + args +
                              " -print-every 0 -o " + counts.string() + " > /dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// The rows of the count file that `fullsim NETLIST ARGS` writes; NETLIST is a test data circuit.
inline std::vector<row> count_rows(const std::string& netlist, const std::string& args,
                                   const std::string& env = "") {
  const std::filesystem::path counts =
      std::filesystem::temp_directory_path() / ("fullsim_runs_" + std::to_string(::getpid()) + ".csv");
  run(std::filesystem::path(INFOLOSS_TEST_DATA) / "circuits" / netlist, args, counts, env);
  std::vector<row> rows = read_rows(counts);
  std::filesystem::remove(counts);
  return rows;
}

}  // namespace fullsim_run
