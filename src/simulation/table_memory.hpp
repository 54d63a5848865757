#pragma once

#include <cstdint>
#include <optional>

#include "counting/input_split.hpp"
#include "counting/memory.hpp"
#include "operation/circuit.hpp"
#include "util/error.hpp"

namespace simulation {

// The most value tables with storage of their own that a run of `circuit` keeps at once, beside
// the use inputs' tables and the shared all-zero table. With the cache every logic table
// persists; without it a table lives from its gate's evaluation to its last reader (or into the
// next batch when no logic node reads it). Constant tables, which share storage, are not
// foreseen, so this is an upper bound.
std::uint64_t logic_tables_alive(const operation::Circuit& circuit, bool use_cache);

// The bytes one value table of 2^use_bits bits takes, its record included.
std::uint64_t table_bytes(std::uint32_t use_bits);

// The tables a copy of the simulation may store with the cache (`kept_tables`): as many as fit in
// `cache_bytes`, or half as many (rounded up) as a run without the cache holds at its peak
// (`uncached`, an upper bound), whichever is more, so that once the tables outgrow `cache_bytes`
// the cache adds at most half of the tables' memory of a run without it (on the log2.v slice at
// 2^16 bits, half runs as fast as the whole did, with a fifth less memory).
std::uint64_t kept_table_budget(std::uint64_t uncached, std::uint32_t use_bits, std::uint64_t cache_bytes);

// The most value tables a copy holds at once with the cache, before it knows which gates it covers:
// every table (`cached` of them) when they fit in the budget, else the budget beside the tables of
// a run without it (`uncached`). The counts are `logic_tables_alive`'s.
std::uint64_t cached_tables_bound(std::uint64_t cached, std::uint64_t uncached, std::uint32_t use_bits,
                                  std::uint64_t cache_bytes);

// Value tables that would not fit in memory.
class tables_too_large : public util::resource_error {
 public:
  using util::resource_error::resource_error;
  ~tables_too_large() override;
};

// Whether `logic_tables` tables, plus the use inputs' and the zero table, of 2^use_bits bits each
// fit in what is left of the physical memory and under the limit.
bool tables_fit(std::uint64_t logic_tables, std::uint32_t use_bits, const counting::memory_room& room);

// Throws `tables_too_large` when `logic_tables` tables, plus the use inputs' and the zero table, of
// 2^use_bits bits each do not fit in what is left of the physical memory or under the limit; the
// message says how much they need and which "-use-bits" would fit.
void check_table_memory(std::uint64_t logic_tables, std::uint32_t use_bits,
                        const counting::memory_room& room);

// How many copies of those tables (at most `wanted`, at least 1) the threads may have: extra
// copies only take up to half of what is left, so that a run never crowds the memory for speed.
std::uint64_t copies_that_fit(std::uint64_t logic_tables, std::uint32_t use_bits,
                              const counting::memory_room& room, std::uint64_t wanted);

}  // namespace simulation
