#include "simulation/batch_runner.hpp"

#include <algorithm>
#include <bit>

#include "util/vector.hpp"

namespace simulation {

using operation::arc_t;
using operation::cmb_t;
using operation::nid_t;
using operation::pos_t;
using operation::tab_t;

namespace {

// Makes `table` share `source`'s storage (a no-op when it already does).
void share(tab_t& table, const tab_t& source) {
  if (!table.is(source)) table = source;
}

constexpr std::uint64_t word_bits = 64;

}  // namespace

void batch_runner::allocate() {
  const operation::Circuit& circuit = plan_.circuit;
  state_.allocate(circuit, plan_.config.use_cache, !plan_.kept.all_stored());
  dirty_.assign((circuit.logic_count() + word_bits - 1) / word_bits, 0);
  unkept_.assign(dirty_.size(), 0);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    const std::uint64_t gate = n - circuit.data_count();
    if (!plan_.kept.kept(n)) unkept_[gate / word_bits] |= std::uint64_t{1} << (gate % word_bits);
  }
  counted_until_.assign(circuit.transfer_count(), 0);
  values_.assign(plan_.source.words(), 0);
  last_values_.assign(plan_.source.words(), 0);
}

void batch_runner::build_tables() {
  const counting::input_split& split = plan_.split;
  zero_ = tab_t(split.max_combs);
  shannon_[0] = zero_;
  shannon_[1] = ~zero_;
  tab_t*** tables = state_.tables();
  if (plan_.circuit.fixed_count() != 0) *tables[0][0] = zero_;
  // Independent patterns draw every input's table in every batch.
  if (plan_.source.independent()) return;
  std::vector<tab_t> use_inputs(split.use_bits);
  tab_t::build_combinations(use_inputs, split.use_bits);
  const std::vector<std::uint32_t>& order = plan_.order;
  const std::uint32_t use_first = split.var_bits, sel_first = split.var_bits + split.use_bits;
  for (std::uint32_t k = 0; k < split.use_bits; ++k)
    tables[order[use_first + k]][0]->move_from(use_inputs[k]);
  for (std::uint32_t j = 0; j < split.sel_bits; ++j)
    *tables[order[sel_first + j]][0] = shannon_[counting::bit_of(plan_.config.worker, j)];
}

batch_result batch_runner::run(std::uint64_t batch, bool counted, const progress* timer) {
  const operation::Circuit& circuit = plan_.circuit;
  batch_result result;
  if (plan_.source.independent()) {
    draw_inputs(batch);
  } else {
    values_.swap(last_values_);
    plan_.source.var_values(batch, values_);
    set_sources(result.same_count);
  }
  started_ = true;
  last_batch_ = batch;

  const nid_t dat_count = circuit.data_count(), tra_count = circuit.transfer_count();
  std::uint64_t changed_ports = 0;
  nid_t last = dat_count;  // past the last node evaluated
  for (std::uint64_t w = 0; w < dirty_.size(); ++w) {
    // Evaluating a node marks readers at later positions only: in this word or a later one.
    while (dirty_[w] != 0) {
      const nid_t n = dat_count + static_cast<nid_t>(w * word_bits + std::countr_zero(dirty_[w]));
      dirty_[w] &= dirty_[w] - 1;
      // Bringing the tables to a batch concerns the stored ones only: the others are computed anew
      // in every counted batch.
      if (!counted && !plan_.kept.kept(n)) continue;
      changed_ports += evaluate(n);
      last = n + 1;
      if (timer != nullptr && timer->out_of_time(batch))
        return stop_after(n, result.same_count, changed_ports);
    }
  }
  // The batch loop checks the time after every gate, the last one included.
  if (timer != nullptr && last < tra_count && timer->out_of_time(batch))
    return stop_after(tra_count - 1, result.same_count, changed_ports);
  if (state_.same() != nullptr) result.same_count += unchanged_logic_ports(tra_count, changed_ports);
  counted_ += counted;
  return result;
}

void batch_runner::set_sources(std::uint64_t& same_count) {
  const counting::input_split& split = plan_.split;
  const std::vector<std::uint32_t>& order = plan_.order;
  tab_t*** tables = state_.tables();
  bool** same = state_.same();
  // Ports that changed in the last batch hold the same values again unless evaluated anew.
  for (bool* flag : changed_) *flag = true;
  changed_.clear();
  const bool later = started_;
  all_changed_ = !later;
  changed_vars_ = values_.empty() ? 0 : values_[0] ^ last_values_[0];
  if (same != nullptr && plan_.circuit.fixed_count() != 0) {
    same[0][0] = later;
    same_count += later;
  }
  for (std::uint32_t i = 0; i < split.var_bits; ++i) {
    const bool value = counting::bit_of(values_[i / 64], i % 64);
    share(*tables[order[i]][0], shannon_[value]);
    if (same == nullptr) continue;
    const bool unchanged = later && value == counting::bit_of(last_values_[i / 64], i % 64);
    same[order[i]][0] = unchanged;
    same_count += unchanged;
    if (!unchanged) mark_readers(order[i], 0);
  }
  if (same == nullptr || !later) {
    mark_all_gates();  // without the cache, and in a first batch, every gate is evaluated
    if (same == nullptr) return;
  } else if (!plan_.kept.all()) {
    mark_unkept_gates();
  }
  for (std::uint32_t k = split.var_bits; k < order.size(); ++k) same[order[k]][0] = later;
  if (later) same_count += split.use_bits + split.sel_bits;
}

void batch_runner::draw_inputs(std::uint64_t batch) {
  tab_t*** tables = state_.tables();
  const nid_t first_input = plan_.circuit.fixed_count();
  for (const std::uint32_t position : plan_.order) {
    tab_t& table = *tables[position][0];
    plan_.source.input_words(batch, position - first_input, table.overwrite(plan_.split.max_combs));
    table.recount();
  }
  mark_all_gates();
}

void batch_runner::mark_all_gates() {
  std::fill(dirty_.begin(), dirty_.end(), ~std::uint64_t{0});
  const std::uint64_t used = plan_.circuit.logic_count() % word_bits;
  if (used != 0) dirty_.back() = (std::uint64_t{1} << used) - 1;
}

void batch_runner::mark_unkept_gates() {
  for (std::uint64_t w = 0; w < dirty_.size(); ++w) dirty_[w] |= unkept_[w];
}

void batch_runner::mark_readers(nid_t n, pos_t p) {
  const nid_t dat_count = plan_.circuit.data_count();
  for (const nid_t reader : plan_.readers.readers(n, p)) {
    const std::uint64_t gate = reader - dat_count;
    dirty_[gate / word_bits] |= std::uint64_t{1} << (gate % word_bits);
  }
}

std::uint64_t batch_runner::evaluate(nid_t n) {
  const operation::Gate gate = plan_.gates.gate(n);
  const std::span<const arc_t> inputs = plan_.gates.inputs(n);
  tab_t*** tables = state_.tables();
  const bool kept = plan_.kept.kept(n), stored = plan_.kept.stored(n);
  const pos_t lent = stored || spare_.empty() ? operation::Gate::no_port : lend_spare(gate, tables[n]);
  // The last counts stand for every counted batch up to this one; the new ones from this one on
  // (when it is counted) until the next evaluation.
  add_counts(n, counted_);
  // A gate the cache does not cover is evaluated without flags: it has no old tables to keep.
  bool** same = kept ? state_.same() : nullptr;
  gate({.node = n,
        .arcs = inputs.data(),
        .tables = tables,
        .max_combs = plan_.split.max_combs,
        .combs = state_.local_combs()[n],
        .same = same,
        .watch_changes = plan_.config.watch_changes});
  // A spare held another table's values: whatever the comparison found, they are new to this gate.
  if (same != nullptr && lent != operation::Gate::no_port) same[n][lent] = false;
  const pos_t ports = gate.output_count();
  if (!stored) {
    settle_outputs(n, ports);
    count_readers(n, ports);
  }
  if (plan_.kept.reads_unstored(n)) release_read_tables(inputs);
  if (!kept) return 0;
  std::uint64_t changed_ports = 0;
  if (same != nullptr)
    for (pos_t p = 0; p < ports; ++p) {
      if (same[n][p]) continue;
      ++changed_ports;
      changed_.push_back(&same[n][p]);
      mark_readers(n, p);
    }
  return changed_ports;
}

std::uint64_t batch_runner::unchanged_logic_ports(nid_t end, std::uint64_t changed_ports) const {
  const std::uint64_t first = plan_.readers.ports_before(plan_.circuit.data_count());
  const std::uint64_t last = plan_.readers.ports_before(end);
  const kept_tables::uncovered_ports uncovered = plan_.kept.ports_not_covered(changed_vars_, first, last);
  return last - first - uncovered.count - changed_ports + (all_changed_ ? 0 : uncovered.unreached);
}

void batch_runner::add_counts(nid_t n, std::uint64_t upto) {
  cmb_t* total = state_.combs()[n];
  if (total == nullptr || counted_until_[n] >= upto) return;
  const cmb_t* local = state_.local_combs()[n];
  const std::uint64_t batches = upto - counted_until_[n];
  const std::uint64_t count = std::uint64_t{1} << plan_.gates.gate(n).input_count();
  for (std::uint64_t i = 0; i < count; ++i) total[i] += local[i] * batches;
  counted_until_[n] = upto;
}

batch_result batch_runner::stop_after(nid_t last, std::uint64_t same_count, std::uint64_t changed_ports) {
  const operation::Circuit& circuit = plan_.circuit;
  const nid_t dat_count = circuit.data_count();
  const bool partial_batch_counts = !plan_.source.sampled();
  for (nid_t n = dat_count; n < circuit.transfer_count(); ++n)
    add_counts(n, counted_ + (partial_batch_counts && n <= last));
  stopped_ = true;
  batch_result result{same_count, true, last - dat_count};
  if (state_.same() != nullptr) result.same_count += unchanged_logic_ports(last + 1, changed_ports);
  return result;
}

void batch_runner::finish_counts() {
  if (stopped_) return;
  for (nid_t n = plan_.circuit.data_count(); n < plan_.circuit.transfer_count(); ++n) add_counts(n, counted_);
}

void batch_runner::add_totals_to(batch_runner& totals) const {
  const operation::Circuit& circuit = plan_.circuit;
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    const cmb_t* mine = state_.combs()[n];
    if (mine == nullptr) continue;
    cmb_t* sum = totals.state_.combs()[n];
    for (std::uint64_t i = 0; i < (std::uint64_t{1} << circuit.input_count(n)); ++i) sum[i] += mine[i];
  }
}

void batch_runner::settle_outputs(nid_t n, pos_t ports) {
  tab_t** own = state_.tables()[n];
  for (pos_t p = 0; p < ports; ++p) {
    const std::uint64_t ones = own[p]->popcount();
    if (ones != 0 && ones != plan_.split.max_combs) continue;
    const tab_t& constant = shannon_[ones != 0];
    if (own[p]->is(constant)) continue;
    recycle(*own[p]);
    *own[p] = constant;
  }
}

void batch_runner::count_readers(nid_t n, pos_t ports) {
  const std::uint64_t first = plan_.readers.index(n, 0);
  std::copy_n(plan_.readers.arc_counts().begin() + first, ports, state_.output_counter()[n]);
}

void batch_runner::release_read_tables(std::span<const arc_t> inputs) {
  nid_t** counter = state_.output_counter();
  tab_t*** tables = state_.tables();
  for (const arc_t& arc : inputs) {
    const auto [m, p, inverted] = arc;
    if (!plan_.kept.stored(m) && --counter[m][p] == 0) recycle(*tables[m][p]);
  }
}

void batch_runner::recycle(tab_t& table) {
  if (table.size() != 0 && !table.same_impl(zero_)) {
    spare_.emplace_back().move_from(table);
  } else {
    table.free();
  }
}

pos_t batch_runner::lend_spare(operation::Gate gate, tab_t** own) {
  const pos_t port = gate.computed_port();
  if (port == operation::Gate::no_port) return port;  // a wire shares its input's table
  tab_t& computed = *own[port];
  if (computed.size() != 0) return operation::Gate::no_port;
  computed.move_from(spare_.back());
  spare_.pop_back();
  return port;
}

void batch_runner::free() {
  state_.free();
  util::vector::real_clear(spare_);
  util::vector::real_clear(dirty_);
  util::vector::real_clear(unkept_);
  util::vector::real_clear(changed_);
  util::vector::real_clear(counted_until_);
  zero_.free();
  shannon_[0].free();
  shannon_[1].free();
}

}  // namespace simulation
