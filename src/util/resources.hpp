#pragma once

#include <cstdint>

// Probes and limits of the process's memory.
namespace util::rss {

// The process's largest resident set size so far, in bytes.
std::uint64_t peak();

// The process's current resident set size in bytes; 0 when it cannot be read.
std::uint64_t current();

// The process's current address-space size in bytes (what the limit of `limit` applies to); 0 when
// it cannot be read.
std::uint64_t address_space();

// The machine's physical memory in bytes.
std::uint64_t physical();

// Limits the process's address space to `bytes` (soft limit; the hard limit is unlimited).
// Returns false when the system refuses.
bool limit(std::uint64_t bytes);

}  // namespace util::rss
