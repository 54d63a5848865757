#pragma once

#include <cstdint>

#include "util/argparse/base.hpp"

// join's command line: its options and the values it reads from them.
namespace join {

// The precisions of a run, in decimal digits.
struct precisions {
  std::uint64_t num;    // of every floating value
  std::uint64_t print;  // after the point on the terminal
  std::uint64_t save;   // after the point in files
};

// Declares join's options and parses the command line.
util::argparse::params parse_args(int argc, const char* const* argv);

// Refuses "-replicates" with fewer than two count files, and "-save-energy-error" without
// "-replicates" (`util::usage_error`).
void check_replicates(const util::argparse::params& args);

// Reads "-precision" (1 to `max_precision_digits`), "-precision-print" and "-precision-save" (0 to
// `max_precision_digits`; a save precision of 0 means the same as "-precision"). Throws
// `util::param_value_invalid` for a value that is not such a number.
precisions read_precisions(const util::argparse::params& args);

}  // namespace join
