#pragma once

#include <cstdint>

#include "operation/circuit.hpp"
#include "simulation/settings.hpp"
#include "simulation/table_memory.hpp"

namespace simulation {

// The use bits that suit a sorted circuit on a machine of `threads` threads and memory `room`:
// tables of 2^14 bits with the cache, 2^16 without (near the caches, yet long enough that an
// operation's fixed cost stays small), no smaller than 2^13 bits while the inputs allow, so long
// as enough var bits remain for every thread to take long chunks of batches (log2(threads) + 7
// with the cache, + 3 without), and smaller when the tables, or a copy of them per thread, would
// not fit in memory. The var bits stay below 64 where the use bits can take the rest.
std::uint32_t choose_use_bits(const operation::Circuit& circuit, const settings& config,
                              std::uint64_t threads, const memory_room& room);

// Whether the cache pays on `circuit` with tables of 2^use_bits bits: it keeps every gate's table,
// and once a thread's tables outgrow the processor's caches each evaluation fetches its old table
// from memory, which costs more than evaluating every gate on tables recycled by their last reader.
bool cache_pays(const operation::Circuit& circuit, std::uint32_t use_bits);

// The use bits and the cache that suit the circuit ("-use-bits auto"): the cache stays on only
// where it pays at the use bits chosen with it (it is never turned on).
void choose_use_bits_and_cache(const operation::Circuit& circuit, settings& config, std::uint64_t threads,
                               const memory_room& room);

}  // namespace simulation
