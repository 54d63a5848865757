#pragma once

#include "util/argparse/base.hpp"

// report's command line.
namespace report {

// Declares report's options and parses the command line.
util::argparse::params parse_args(int argc, const char* const* argv);

}  // namespace report
