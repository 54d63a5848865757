#include "simulation/node_state.hpp"

#include <algorithm>
#include <new>

#include "util/vector.hpp"

namespace simulation {

using operation::cmb_t;
using operation::nid_t;
using operation::pos_t;
using operation::tab_t;

namespace {

constexpr std::align_val_t block_alignment{64};

// Where a node's parts lie in its block: the table pointers first (the evaluators' shape), then
// the tables, the reader counters and the flags. Blocks take a multiple of 32 bytes, so that the
// block of a node with one port never straddles two cache lines.
struct block_layout {
  std::size_t tables = 0, counters = 0, flags = 0, bytes = 0;

  block_layout(pos_t ports, bool with_flags, bool with_counters) {
    tables = ports * sizeof(tab_t*);
    counters = tables + ports * sizeof(tab_t);
    flags = counters + (with_counters ? ports * sizeof(nid_t) : 0);
    bytes = (flags + (with_flags ? ports : 0) + 31) / 32 * 32;
  }
};

}  // namespace

void node_state::block_pool_deleter::operator()(std::byte* pool) const { ::operator delete[](pool, block_alignment); }

void node_state::allocate(const operation::Circuit& circuit, bool flags, bool reader_counters) {
  free();
  const nid_t tra_count = circuit.transfer_count();
  std::uint64_t ports = 0, counters = 0, bytes = 0;
  for (nid_t n = 0; n < tra_count; ++n) {
    ports += circuit.output_count(n);
    bytes += block_layout(circuit.output_count(n), flags, reader_counters).bytes;
    if (!circuit[n].reversible()) counters += std::uint64_t{1} << circuit.input_count(n);
  }
  blocks_.reset(static_cast<std::byte*>(::operator new[](bytes, block_alignment)));
  placed_tables_.reserve(ports);
  tables_.resize(tra_count);
  comb_pool_.assign(counters, 0);
  local_pool_.resize(counters);
  combs_.assign(tra_count, nullptr);
  local_combs_.assign(tra_count, nullptr);
  if (flags) same_.resize(tra_count);
  if (reader_counters) output_counter_.resize(tra_count);

  std::byte* block = blocks_.get();
  std::uint64_t counter = 0;
  for (nid_t n = 0; n < tra_count; ++n) {
    const pos_t node_ports = circuit.output_count(n);
    const block_layout layout(node_ports, flags, reader_counters);
    tables_[n] = reinterpret_cast<tab_t**>(block);
    for (pos_t p = 0; p < node_ports; ++p) {
      tables_[n][p] = new (block + layout.tables + p * sizeof(tab_t)) tab_t();
      placed_tables_.push_back(tables_[n][p]);
    }
    if (reader_counters) {
      output_counter_[n] = reinterpret_cast<nid_t*>(block + layout.counters);
      std::fill_n(output_counter_[n], node_ports, 0);
    }
    if (flags) {
      same_[n] = reinterpret_cast<bool*>(block + layout.flags);
      std::fill_n(same_[n], node_ports, false);
    }
    block += layout.bytes;
    if (!circuit[n].reversible()) {
      combs_[n] = &comb_pool_[counter];
      local_combs_[n] = &local_pool_[counter];
      counter += std::uint64_t{1} << circuit.input_count(n);
    }
  }
}

void node_state::free() {
  for (tab_t* table : placed_tables_) table->~tab_t();
  util::vector::real_clear(placed_tables_);
  blocks_.reset();
  util::vector::real_clear(tables_);
  util::vector::real_clear(comb_pool_);
  util::vector::real_clear(combs_);
  util::vector::real_clear(local_pool_);
  util::vector::real_clear(local_combs_);
  util::vector::real_clear(same_);
  util::vector::real_clear(output_counter_);
}

}  // namespace simulation
