#pragma once

#include "counting/settings.hpp"
#include "util/argparse/base.hpp"

// fullsim's command line: its options and the simulation's choices read from them.
namespace fullsim {

// Declares fullsim's options and parses the command line.
util::argparse::params parse_args(int argc, const char* const* argv);

// The counting run's choices from the command line; options without a default count only when
// given ("-use-bits auto" leaves the use bits unset, to be chosen). A sampled run ("-samples") runs
// without the cache. Throws `util::param_value_invalid` for a value that is not a number of the
// option's kind, and for a negative (or not-a-number) "-limit-time" or "-samples" 0, and
// `util::usage_error` for "-seed" or "-replicate" without "-samples" and for "-samples" with
// "-method bdd".
counting::settings counting_settings(const util::argparse::params& args);

}  // namespace fullsim
