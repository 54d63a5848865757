#include "simulation/engine.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "simulation/table_memory.hpp"
#include "util/phase.hpp"
#include "util/resources.hpp"
#include "util/string.hpp"
#include "util/vector.hpp"

namespace simulation {

using operation::arc_t;
using operation::cmb_t;
using operation::nid_t;
using operation::pos_t;
using operation::tab_t;

namespace {

constexpr std::string_view separator = ": time = ";

// Below this many nodes the readers are counted on the calling thread: a parallel region costs
// more than the count.
constexpr std::int64_t parallel_count_threshold = std::int64_t{1} << 16;

std::uint64_t decimal_digits(std::uint64_t value) { return std::to_string(value).size(); }

// Makes `table` share `source`'s storage (a no-op when it already does).
void share(tab_t& table, const tab_t& source) {
  if (!table.is(source)) table = source;
}

}  // namespace

engine::engine(const operation::Circuit& circuit, std::vector<std::uint32_t> order, std::uint64_t levels,
               const settings& config, std::ostream& out)
    : circuit_(circuit),
      order_(std::move(order)),
      levels_(levels),
      config_(config),
      out_(out),
      split_(split_inputs(circuit.input_count(), config)),
      progress_(config, split_.max_batch, out) {
  outcome_.max_batch = split_.max_batch;
  outcome_.max_gates = circuit.logic_count();
}

void engine::build_structures() {
  const util::phase phase("building structures", separator, out_);
  out_ << '\n';
  state_.allocate(circuit_, config_.use_cache);
  print_summary();
  phase.end();
}

void engine::print_summary() const {
  out_ << "inputs = " << circuit_.input_count() << '\n'
       << "outputs = " << circuit_.output_count() << '\n'
       << "gates = " << circuit_.logic_count() << '\n'
       << "levels = " << levels_ << '\n'
       << "cache = " << (config_.use_cache ? "enabled" : "disabled") << "\n\n";
  const auto [var_bits, use_bits, sel_bits, max_combs, max_batch] = split_;
  const std::uint64_t width = decimal_digits(std::max({var_bits, use_bits, sel_bits}));
  print_group("var", 0, var_bits, width, false);
  print_group("use", var_bits, use_bits, width, false);
  print_group("sel", var_bits + use_bits, sel_bits, width, true);
  out_ << '\n';
}

void engine::print_group(std::string_view label, std::uint32_t first, std::uint32_t count,
                         std::uint64_t width, bool with_worker_bits) const {
  if (count == 0) return;
  out_ << label << " bits (" << util::string::fromi(count, width, ' ') << ") : ";
  for (std::uint32_t j = 0; j < count; ++j) {
    out_ << circuit_.name(circuit_.fixed_count() + order_[first + j]);
    if (with_worker_bits) out_ << " = " << bit_of(config_.worker, j);
    out_ << ' ';
  }
  out_ << '\n';
}

void engine::apply_limits() {
  if (config_.memory_limit) {
    // The thread team is created now: under a tight limit its stacks could not be mapped later.
#pragma omp parallel
    {}
    out_ << "limiting memory to " << *config_.memory_limit << '\n';
    if (!util::rss::limit(*config_.memory_limit)) throw std::runtime_error("Could not limit memory.");
  }
  const memory_room room{util::rss::physical(), util::rss::current(), config_.memory_limit,
                         util::rss::address_space()};
  check_table_memory(logic_tables_alive(circuit_, config_.use_cache), split_.use_bits, room);
}

void engine::build_bitsets() {
  progress_.start_estimate();
  const util::phase phase("building bitsets", separator, out_);
  zero_ = tab_t(split_.max_combs);
  shannon_[0] = zero_;
  shannon_[1] = ~zero_;
  std::vector<tab_t> bs_inputs(split_.use_bits);
  tab_t::build_combinations(bs_inputs, split_.use_bits);

  tab_t*** tables = state_.tables();
  if (circuit_.fixed_count() != 0) *tables[0][0] = zero_;
  for (std::uint32_t& entry : order_) entry += circuit_.fixed_count();
  const std::uint32_t use_first = split_.var_bits, sel_first = split_.var_bits + split_.use_bits;
  for (std::uint32_t k = 0; k < split_.use_bits; ++k)
    tables[order_[use_first + k]][0]->move_from(bs_inputs[k]);
  for (std::uint32_t j = 0; j < split_.sel_bits; ++j)
    *tables[order_[sel_first + j]][0] = shannon_[bit_of(config_.worker, j)];
  phase.end();
}

void engine::simulate() {
  progress_.start();  // the phase's times count from just before its start line
  const util::phase phase("simulation", separator, out_);
  std::uint64_t prev_gray_iter = ~std::uint64_t{0};
  while (outcome_.batch_iter < split_.max_batch) {
    const std::uint64_t batch_iter = outcome_.batch_iter;
    const std::uint64_t gray_iter = config_.use_gray_code ? batch_iter ^ (batch_iter >> 1) : batch_iter;
    set_sources(gray_iter, prev_gray_iter);
    if (!run_gates()) {
      outcome_.out_of_time = true;
      break;
    }
    ++outcome_.batch_iter;
    progress_.batch_done(outcome_.batch_iter, outcome_.same_count);
    prev_gray_iter = gray_iter;
  }
  if (!outcome_.out_of_time) outcome_.gate_iter = circuit_.logic_count();
  outcome_.time_elapsed = progress_.finish(outcome_.same_count, outcome_.status());
}

void engine::set_sources(std::uint64_t gray_iter, std::uint64_t prev_gray_iter) {
  tab_t*** tables = state_.tables();
  bool** same = state_.same();
  const bool later = outcome_.batch_iter != 0;
  if (same != nullptr && circuit_.fixed_count() != 0) {
    same[0][0] = later;
    outcome_.same_count += later;
  }
  if (state_.output_counter() != nullptr) count_readers();
  for (std::uint32_t i = 0; i < split_.var_bits; ++i) {
    const bool value = bit_of(gray_iter, i);
    share(*tables[order_[i]][0], shannon_[value]);
    if (same == nullptr) continue;
    const bool unchanged = later && value == bit_of(prev_gray_iter, i);
    same[order_[i]][0] = unchanged;
    outcome_.same_count += unchanged;
  }
  if (same == nullptr) return;
  for (std::uint32_t k = split_.var_bits; k < order_.size(); ++k) same[order_[k]][0] = later;
  if (later) outcome_.same_count += split_.use_bits + split_.sel_bits;
}

void engine::count_readers() {
  state_.clear_output_counters();
  nid_t** counter = state_.output_counter();
  const std::int64_t tra_count = circuit_.transfer_count();
#pragma omp parallel for schedule(static) if (tra_count >= parallel_count_threshold)
  for (std::int64_t n = 0; n < tra_count; ++n)
    for (const arc_t& arc : circuit_[static_cast<nid_t>(n)].inputs()) {
#pragma omp atomic
      ++counter[std::get<0>(arc)][std::get<1>(arc)];
    }
}

bool engine::run_gates() {
  tab_t*** tables = state_.tables();
  bool** same = state_.same();
  cmb_t** combs = state_.combs();
  cmb_t** local_combs = state_.local_combs();
  const nid_t dat_count = circuit_.data_count(), tra_count = circuit_.transfer_count();
  const bool timed = progress_.timed();
  for (nid_t n = dat_count; n < tra_count; ++n) {
    const operation::Node& node = circuit_[n];
    outcome_.gate_iter = n - dat_count;
    if (!spare_.empty()) lend_spare(node, tables[n]);
    node(n, tables, split_.max_combs, local_combs[n], same, config_.watch_changes);
    settle_outputs(n, node.output_count());
    if (combs[n] != nullptr) {
      const std::uint64_t count = std::uint64_t{1} << node.input_count();
      for (std::uint64_t i = 0; i < count; ++i) combs[n][i] += local_combs[n][i];
    }
    if (state_.output_counter() != nullptr) release_read_tables(node);
    if (timed && progress_.out_of_time(outcome_.batch_iter)) return false;
  }
  return true;
}

void engine::settle_outputs(nid_t n, pos_t ports) {
  tab_t** own = state_.tables()[n];
  bool** same = state_.same();
  for (pos_t p = 0; p < ports; ++p) {
    const std::uint64_t ones = own[p]->popcount();
    if (ones == 0) share(*own[p], shannon_[0]);
    if (ones == split_.max_combs) share(*own[p], shannon_[1]);
    if (same != nullptr) outcome_.same_count += same[n][p];
  }
}

void engine::release_read_tables(const operation::Node& node) {
  nid_t** counter = state_.output_counter();
  tab_t*** tables = state_.tables();
  for (const arc_t& arc : node.inputs()) {
    const auto [m, p, inverted] = arc;
    if (m >= circuit_.data_count() && --counter[m][p] == 0) recycle(*tables[m][p]);
  }
}

void engine::recycle(tab_t& table) {
  if (table.size() != 0 && !table.same_impl(zero_)) {
    spare_.emplace_back().move_from(table);
  } else {
    table.free();
  }
}

void engine::lend_spare(const operation::Node& node, tab_t** own) {
  // The port the gate computes: none for a wire, port 1 of a recycling gate, else port 0.
  if (node.gate() == operation::gates::WIRE) return;
  tab_t& computed = *own[node.output_count() > 1 ? 1 : 0];
  if (computed.size() != 0) return;
  computed.move_from(spare_.back());
  spare_.pop_back();
}

void engine::write_results(const result_files& files) const {
  write_result_files(files, circuit_, state_.combs(), outcome_);
}

void engine::free_memory() {
  const util::phase phase("freeing memory", separator, out_);
  free();
  phase.end_last();
}

void engine::free() {
  state_.free();
  util::vector::real_clear(spare_);
  zero_.free();
  shannon_[0].free();
  shannon_[1].free();
}

}  // namespace simulation
