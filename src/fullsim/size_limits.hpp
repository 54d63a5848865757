#pragma once

#include <ostream>

#include "operation/circuit.hpp"
#include "util/argparse/base.hpp"

namespace fullsim {

// Checks the circuit against the limits that were given, in the order "-limit-inputs",
// "-limit-outputs", "-limit-size"; a count equal to its limit passes. Returns false after writing
// the message of the first exceeded limit and a line end to `err`.
bool within_size_limits(const util::argparse::params& args, const operation::Circuit& circ,
                        std::ostream& err);

}  // namespace fullsim
