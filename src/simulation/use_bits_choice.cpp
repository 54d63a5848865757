#include "simulation/use_bits_choice.hpp"

#include <omp.h>

#include <algorithm>
#include <bit>

namespace simulation {

std::uint32_t choose_use_bits(const operation::Circuit& circuit, const counting::settings& config,
                              std::uint64_t threads, const counting::memory_room& room) {
  constexpr std::uint32_t smallest = 13, max_var_bits = 63, whole_cache_bits = 14;
  const std::uint32_t inputs = circuit.input_count();
  const std::uint32_t rest = inputs - std::min(config.sel_bits, inputs);
  const std::uint64_t cached = logic_tables_alive(circuit, true),
                      uncached = logic_tables_alive(circuit, false);
  const bool whole_cache =
      config.use_cache && cached <= kept_table_budget(uncached, whole_cache_bits, config.cache_bytes);
  const std::uint32_t preferred = whole_cache ? whole_cache_bits : 16;
  threads = std::max<std::uint64_t>(threads, 1);
  const std::uint32_t var_wanted =
      static_cast<std::uint32_t>(std::bit_width(threads - 1)) + (whole_cache ? 7 : 3);

  const std::uint32_t low = std::min(smallest, rest);
  std::uint32_t use = std::clamp(rest > var_wanted ? rest - var_wanted : 0, low, std::min(preferred, rest));
  if (rest > max_var_bits) use = std::max(use, rest - max_var_bits);

  const auto tables = [&](std::uint32_t bits) {
    return config.use_cache ? cached_tables_bound(cached, uncached, bits, config.cache_bytes) : uncached;
  };
  while (use > low && copies_that_fit(tables(use), use, room, threads) < threads) --use;
  while (use > 0 && !tables_fit(tables(use), use, room)) --use;
  return use;
}

void auto_use_bits(const operation::Circuit& circuit, counting::settings& config) {
  config.use_bits = choose_use_bits(circuit, config, static_cast<std::uint64_t>(omp_get_max_threads()),
                                    counting::memory_room_now(config.memory_limit));
}

void advise_use_bits(const operation::Circuit& circuit, const counting::settings& config, std::ostream& err) {
  constexpr std::uint32_t largest_advised = 20;
  const std::uint32_t inputs = circuit.input_count();
  const std::uint32_t use_bits = inputs - std::min(config.sel_bits, inputs);
  if (config.use_bits || use_bits <= largest_advised) return;
  err << "fullsim: without -use-bits all " << use_bits << " inputs form one batch, with value tables of 2^"
      << use_bits << " bits (slow and large); '-use-bits auto' picks a size that suits the machine\n";
}

}  // namespace simulation
