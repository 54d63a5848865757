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

}  // namespace simulation
