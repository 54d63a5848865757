#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>

namespace counting {

// The memory a run can still fill.
struct memory_room {
  std::uint64_t physical = 0;          // the machine's physical memory (0: unknown)
  std::uint64_t resident = 0;          // of it, what the process holds now
  std::optional<std::uint64_t> limit;  // the process's address-space limit, when set
  std::uint64_t mapped = 0;            // of it, what the process has mapped now
};

// The memory room of this process now, under the address-space limit `limit` when set.
memory_room memory_room_now(std::optional<std::uint64_t> limit);

// What is left of a memory room, and what bounds it.
struct memory_left {
  std::uint64_t bytes = 0;
  std::string_view bound;  // "physical memory" or "the memory limit"
};

// The bytes a run can still fill: what is left of the physical memory (unbounded when unknown), or
// under the limit when that leaves less.
memory_left left_in(const memory_room& room);

// Applies "-limit-memory" when it was given: writes "limiting memory to N" on `out` and limits the
// process's address space to `limit` bytes. The thread team is created first: under a tight limit
// its stacks could not be mapped later. Throws util::resource_error "Could not limit memory." when
// the system refuses the limit.
void limit_memory(std::optional<std::uint64_t> limit, std::ostream& out);

}  // namespace counting
