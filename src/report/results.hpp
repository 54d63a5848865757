#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/sources.hpp"

namespace report {

// One gate's rows of join's files; numbers as the files write them.
struct gate_result {
  std::string name;
  std::string energy;
  std::optional<std::string> error;  // the energy's standard error, when the counts were sampled
  std::string in_entropy;
  std::string out_entropy;
  double energy_bits = 0;  // the energy as a number, for the charts
};

// join's results: every gate that loses information, and the total.
struct results {
  std::vector<gate_result> gates;  // in the files' order
  std::string total;
  std::optional<std::string> total_error;
  bool has_errors = false;  // the energy file has the std-error column
};

// Reads the energy, entropy and total files (and the total's error file, when named). Throws
// `file_error` for a file that cannot be read, another header, a row that is not a name and
// numbers, or an entropy file whose gates differ from the energy file's.
results read_results(const sources& from);

}  // namespace report
