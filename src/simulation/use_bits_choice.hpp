#pragma once

#include <cstdint>
#include <ostream>

#include "counting/settings.hpp"
#include "operation/circuit.hpp"
#include "simulation/table_memory.hpp"

namespace simulation {

// The use bits that suit a sorted circuit on a machine of `threads` threads and memory `room`
// ("-use-bits auto"): tables of 2^14 bits when the cache keeps every gate's table there (it then
// skips the most work), else 2^16 (near the caches, yet long enough that an operation's fixed cost
// stays small; without the cache, or with a cache that covers part of the gates, this runs
// fastest); no smaller than 2^13 bits while the inputs allow, so long as enough var bits remain for
// every thread to take long chunks of batches (log2(threads) + 7 when every table is kept, + 3
// otherwise), and smaller when the tables, or a copy of them per thread, would not fit in memory.
// The var bits stay below 64 where the use bits can take the rest.
std::uint32_t choose_use_bits(const operation::Circuit& circuit, const counting::settings& config,
                              std::uint64_t threads, const counting::memory_room& room);

// Sets the use bits that "-use-bits auto" picks for the sorted circuit on this machine: its thread
// count and the memory left (under "-limit-memory" when given); see `choose_use_bits`.
void auto_use_bits(const operation::Circuit& circuit, counting::settings& config);

// Without "-use-bits" every input left after the sel bits is a use bit; when that makes tables of
// more than 2^20 bits, writes one line on `err` that suggests "-use-bits auto".
void advise_use_bits(const operation::Circuit& circuit, const counting::settings& config, std::ostream& err);

}  // namespace simulation
