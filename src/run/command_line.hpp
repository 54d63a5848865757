#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "util/argparse/base.hpp"

// The command line of "infoloss run": a netlist, the job directory to write, and the limits that
// decide the method.
namespace run {

// Which method counts: the one that fits (`automatic`), or the one the user forces.
enum class method_choice { automatic, enumerate, bdd, sample };

// What the command line asks for.
struct request {
  std::filesystem::path netlist;
  std::string filetype;  // "-filetype", empty: the file extension decides
  std::filesystem::path dir;
  std::optional<double> time_limit;  // "-limit-time": seconds for the whole run
  std::string target_error;          // "-target-error" as given: a sampled total's relative standard error
  method_choice method = method_choice::automatic;
};

// Declares the options of "infoloss run" and parses the command line. Throws
// `util::param_value_invalid` for a value of the wrong kind, a negative "-limit-time" or a target
// error that is not positive.
request parse_args(int argc, const char* const* argv);

}  // namespace run
