#pragma once

#include "util/argparse/base.hpp"

// approximate's command line.
namespace approximate {

// Declares approximate's options and parses the command line.
util::argparse::params parse_args(int argc, const char* const* argv);

}  // namespace approximate
