#include "simulation/node_state.hpp"

#include <algorithm>

#include "util/vector.hpp"

namespace simulation {

using operation::cmb_t;
using operation::nid_t;

void node_state::allocate(const operation::Circuit& circuit, bool flags, bool reader_counters) {
  free();
  const nid_t tra_count = circuit.transfer_count();
  std::uint64_t ports = 0, counters = 0;
  for (nid_t n = 0; n < tra_count; ++n) {
    ports += circuit.output_count(n);
    if (!circuit[n].reversible()) counters += std::uint64_t{1} << circuit.input_count(n);
  }
  table_pool_.resize(ports);
  table_ptrs_.resize(ports);
  for (std::uint64_t k = 0; k < ports; ++k) table_ptrs_[k] = &table_pool_[k];
  tables_.resize(tra_count);
  comb_pool_.assign(counters, 0);
  local_pool_.resize(counters);
  combs_.assign(tra_count, nullptr);
  local_combs_.assign(tra_count, nullptr);
  if (flags) {
    same_pool_ = std::make_unique<bool[]>(ports);  // value-initialised: false
    same_.resize(tra_count);
  }
  if (reader_counters) {
    counter_pool_.assign(ports, 0);
    output_counter_.resize(tra_count);
  }

  std::uint64_t port = 0, counter = 0;
  for (nid_t n = 0; n < tra_count; ++n) {
    tables_[n] = &table_ptrs_[port];
    if (flags) same_[n] = &same_pool_[port];
    if (reader_counters) output_counter_[n] = &counter_pool_[port];
    port += circuit.output_count(n);
    if (!circuit[n].reversible()) {
      combs_[n] = &comb_pool_[counter];
      local_combs_[n] = &local_pool_[counter];
      counter += std::uint64_t{1} << circuit.input_count(n);
    }
  }
}

void node_state::reset_output_counters(const std::vector<nid_t>& counts) {
  std::copy(counts.begin(), counts.end(), counter_pool_.begin());
}

void node_state::free() {
  util::vector::real_clear(table_pool_);
  util::vector::real_clear(table_ptrs_);
  util::vector::real_clear(tables_);
  util::vector::real_clear(comb_pool_);
  util::vector::real_clear(combs_);
  util::vector::real_clear(local_pool_);
  util::vector::real_clear(local_combs_);
  same_pool_.reset();
  util::vector::real_clear(same_);
  util::vector::real_clear(counter_pool_);
  util::vector::real_clear(output_counter_);
}

}  // namespace simulation
