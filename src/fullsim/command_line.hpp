#pragma once

#include "simulation/settings.hpp"
#include "util/argparse/base.hpp"

// fullsim's command line: its options and the simulation's choices read from them.
namespace fullsim {

// Declares fullsim's options and parses the command line.
util::argparse::params parse_args(int argc, const char* const* argv);

// Whether "-use-bits auto" asks for the use bits to be chosen from the circuit and the machine.
bool use_bits_auto(const util::argparse::params& args);

// The simulation's choices from the command line; options without a default count only when given
// ("-use-bits auto" leaves the use bits unset). A sampled run ("-samples") runs without the cache.
// Throws `util::param_value_invalid` for a value that is not a number of the option's kind, and for
// a negative (or not-a-number) "-limit-time" or "-samples" 0, and `util::usage_error` for "-seed" or
// "-replicate" without "-samples".
simulation::settings simulation_settings(const util::argparse::params& args);

}  // namespace fullsim
