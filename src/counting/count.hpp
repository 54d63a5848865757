#pragma once

#include <cstdint>
#include <iostream>
#include <vector>

#include "counting/outcome.hpp"
#include "counting/results.hpp"
#include "counting/settings.hpp"
#include "operation/circuit.hpp"

// The counting layer: every method (enumeration, sampling, decision diagrams) counts a circuit's
// combinations through `count`, from the same settings, input orders and worker split, into the
// same result files.
namespace counting {

// Refuses now, before the circuit is sorted, a run of `inputs` inputs whose worker number is past
// the last share or whose enumeration the 64-bit counts cannot hold (with "-use-bits auto" that is
// known only once the use bits are chosen). Throws what `split_inputs` throws.
void check_split(operation::nid_t inputs, const settings& config);

// Counts the sorted circuit (`ranks`: its rank list) by the method of `config`, through every
// phase of that method's engine, printing on `out`, and writes the result files asked for.
// Enumeration and sampling order the inputs by "-input-sort" (default "reach"); "-use-bits auto"
// is chosen from the circuit and the machine, and without "-use-bits" a line on `err` may advise it.
// Decision diagrams take their sel inputs from the same order, so that both methods' workers share
// the input space alike; their variables follow "-input-sort" when it is given, else the
// breadth-first order from the outputs (best for words that meet bit by bit), with the
// deeper-first order (best for control logic and trees of adders) to start again in when the
// diagrams grow large. Throws what the engines throw.
outcome count(const operation::Circuit& circuit, const std::vector<operation::nid_t>& ranks, settings config,
              const result_files& files, std::ostream& out = std::cout, std::ostream& err = std::cerr);

// The number of logic levels of a rank list (`Circuit::get_ranks`): its length minus 3.
std::uint64_t level_count(const std::vector<operation::nid_t>& ranks);

}  // namespace counting
