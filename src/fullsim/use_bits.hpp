#pragma once

#include <cstdint>
#include <ostream>

#include "operation/circuit.hpp"
#include "simulation/settings.hpp"

namespace fullsim {

// Sets the use bits that "-use-bits auto" picks for the sorted circuit on this machine: its thread
// count and the memory left (under "-limit-memory" when given); see `simulation::choose_use_bits`.
void auto_use_bits(const operation::Circuit& circuit, simulation::settings& config);

// Without "-use-bits" every input left after the sel bits is a use bit; when that makes tables of
// more than 2^20 bits, writes one line on `err` that suggests "-use-bits auto".
void advise_use_bits(const operation::Circuit& circuit, const simulation::settings& config,
                     std::ostream& err);

}  // namespace fullsim
