#include "counting/memory.hpp"

#include "util/error.hpp"
#include "util/resources.hpp"

namespace counting {

memory_room memory_room_now(std::optional<std::uint64_t> limit) {
  return {util::rss::physical(), util::rss::current(), limit, util::rss::address_space()};
}

memory_left left_in(const memory_room& room) {
  const auto room_in = [](std::uint64_t total, std::uint64_t used) {
    return total > used ? total - used : 0;
  };
  memory_left left{room.physical == 0 ? ~std::uint64_t{0} : room_in(room.physical, room.resident),
                   "physical memory"};
  if (room.limit && room_in(*room.limit, room.mapped) < left.bytes)
    left = {room_in(*room.limit, room.mapped), "the memory limit"};
  return left;
}

void limit_memory(std::optional<std::uint64_t> limit, std::ostream& out) {
  if (!limit) return;
#pragma omp parallel
  {}
  out << "limiting memory to " << *limit << '\n';
  if (!util::rss::limit(*limit)) throw util::resource_error("Could not limit memory.");
}

}  // namespace counting
