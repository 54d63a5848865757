#pragma once

#include <vector>

#include "operation/circuit.hpp"
#include "util/argparse/base.hpp"

namespace fullsim {

// Writes the structural statistics files that were asked for, in this order: "-save-inputs",
// "-save-outputs", "-save-size" and "-save-depth" (one number each), "-save-signals" (the signal
// count of every section of the rank list, one per line) and "-save-ranks"
// ("name,rank", then the level of every constant, input and logic node in position order).
// The circuit must be sorted and `ranks` its rank list.
void save_statistics(const util::argparse::params& args, const operation::Circuit& circ,
                     const std::vector<operation::nid_t>& ranks);

}  // namespace fullsim
