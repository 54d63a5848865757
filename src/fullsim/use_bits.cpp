#include "fullsim/use_bits.hpp"

#include <omp.h>

#include <algorithm>

#include "simulation/table_memory.hpp"
#include "simulation/use_bits_choice.hpp"

namespace fullsim {

void auto_use_bits(const operation::Circuit& circuit, simulation::settings& config) {
  config.use_bits = simulation::choose_use_bits(circuit, config, static_cast<std::uint64_t>(omp_get_max_threads()),
                                               simulation::memory_room_now(config.memory_limit));
}

void advise_use_bits(const operation::Circuit& circuit, const simulation::settings& config,
                     std::ostream& err) {
  constexpr std::uint32_t largest_advised = 20;
  const std::uint32_t inputs = circuit.input_count();
  const std::uint32_t use_bits = inputs - std::min(config.sel_bits, inputs);
  if (config.use_bits || use_bits <= largest_advised) return;
  err << "fullsim: without -use-bits all " << use_bits << " inputs form one batch, with value tables of 2^"
      << use_bits << " bits (slow and large); '-use-bits auto' picks a size that suits the machine\n";
}

}  // namespace fullsim
