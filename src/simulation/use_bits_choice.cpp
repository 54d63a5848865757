#include "simulation/use_bits_choice.hpp"

#include <algorithm>
#include <bit>

namespace simulation {

std::uint32_t choose_use_bits(const operation::Circuit& circuit, const settings& config,
                              std::uint64_t threads, const memory_room& room) {
  constexpr std::uint32_t smallest = 13, max_var_bits = 63;
  const std::uint32_t inputs = circuit.input_count();
  const std::uint32_t rest = inputs - std::min(config.sel_bits, inputs);
  const std::uint32_t preferred = config.use_cache ? 14 : 16;
  threads = std::max<std::uint64_t>(threads, 1);
  const std::uint32_t var_wanted =
      static_cast<std::uint32_t>(std::bit_width(threads - 1)) + (config.use_cache ? 7 : 3);

  const std::uint32_t low = std::min(smallest, rest);
  std::uint32_t use = std::clamp(rest > var_wanted ? rest - var_wanted : 0, low, std::min(preferred, rest));
  if (rest > max_var_bits) use = std::max(use, rest - max_var_bits);

  const std::uint64_t tables = logic_tables_alive(circuit, config.use_cache);
  while (use > low && copies_that_fit(tables, use, room, threads) < threads) --use;
  while (use > 0 && !tables_fit(tables, use, room)) --use;
  return use;
}

bool cache_pays(const operation::Circuit& circuit, std::uint32_t use_bits) {
  // What a thread's tables may take and still mostly stay in the caches of one core and its share of
  // the last level (measured: 2 MiB pay on a 10 x 10 multiplier; 11 MiB on sin.v lose to 2^16-bit
  // tables without the cache).
  constexpr std::uint64_t cached_bytes = std::uint64_t{4} << 20;
  const std::uint64_t tables = logic_tables_alive(circuit, true);
  return tables <= cached_bytes / table_bytes(use_bits);
}

void choose_use_bits_and_cache(const operation::Circuit& circuit, settings& config, std::uint64_t threads,
                               const memory_room& room) {
  std::uint32_t use_bits = choose_use_bits(circuit, config, threads, room);
  if (config.use_cache && !cache_pays(circuit, use_bits)) {
    config.use_cache = false;
    use_bits = choose_use_bits(circuit, config, threads, room);
  }
  config.use_bits = use_bits;
}

}  // namespace simulation
