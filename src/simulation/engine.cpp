#include "simulation/engine.hpp"

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

#include "simulation/table_memory.hpp"
#include "util/error.hpp"
#include "util/phase.hpp"
#include "util/resources.hpp"
#include "util/string.hpp"
#include "util/vector.hpp"

namespace simulation {

using operation::tab_t;

namespace {

constexpr std::string_view separator = ": time = ";

std::uint64_t decimal_digits(std::uint64_t value) { return std::to_string(value).size(); }

// Batches per chunk of the shared schedule: a copy that takes a chunk not following its last one
// first runs the batch before it uncounted (with the cache), so chunks are long; but every thread
// should get several, for balance. A power of two, at most 64.
std::uint64_t chunk_batches(std::uint64_t max_batch, std::uint64_t runners) {
  std::uint64_t chunk = 1;
  while (chunk < 64 && chunk * 2 * runners * 4 <= max_batch) chunk *= 2;
  return chunk;
}

}  // namespace

engine::engine(const operation::Circuit& circuit, std::vector<std::uint32_t> order, std::uint64_t levels,
               const counting::settings& config, std::ostream& out)
    : circuit_(circuit),
      order_(std::move(order)),
      levels_(levels),
      config_(config),
      out_(out),
      split_(counting::split_inputs(circuit.input_count(), config)),
      source_(config, split_),
      copies_allowed_(static_cast<std::uint64_t>(omp_get_max_threads())),
      progress_(config, split_.max_batch, out) {
  // Random batches change about half the var inputs at once, and independent patterns every
  // input's table, which leaves the cache nothing to skip: it would only cost its comparisons and
  // the memory of every gate's table (and it follows changes of the var inputs only).
  if (config_.sampling) config_.use_cache = false;
  outcome_.max_batch = split_.max_batch;
  outcome_.max_gates = circuit.logic_count();
  outcome_.sampled = source_.sampled();
  outcome_.use_bits = split_.use_bits;
}

void engine::build_structures() {
  const util::phase phase("building structures", separator, out_);
  out_ << '\n';
  readers_.emplace(circuit_);
  kept_.emplace(choose_kept_tables());
  gates_.emplace(circuit_);
  plan_.emplace(circuit_, split_, config_, order_, *readers_, *gates_, source_, *kept_);
  runners_.emplace_back(*plan_).allocate();
  print_summary();
  phase.end();
}

kept_tables engine::choose_kept_tables() const {
  if (!config_.use_cache) return kept_tables(circuit_);
  std::vector<std::uint32_t> var_nodes(order_.begin(), order_.begin() + split_.var_bits);
  for (std::uint32_t& node : var_nodes) node += circuit_.fixed_count();
  const std::uint64_t budget =
      kept_table_budget(logic_tables_alive(circuit_, false), split_.use_bits, config_.cache_bytes);
  return kept_tables(circuit_, *readers_, var_nodes, budget);
}

std::uint64_t engine::tables_alive() const {
  // Independent patterns draw a table for every var input too (batches share the constant ones).
  const std::uint64_t drawn = source_.independent() ? split_.var_bits : 0;
  if (kept_->all_stored() || kept_->none()) return drawn + logic_tables_alive(circuit_, !kept_->none());
  return kept_->stored_tables() + logic_tables_alive(circuit_, false);
}

void engine::print_summary() const {
  print_circuit_summary(out_, circuit_, levels_);
  out_ << "cache = " << (config_.use_cache ? "enabled" : "disabled");
  if (config_.use_cache && !kept_->all())
    out_ << " for " << kept_->kept_gates() << " of " << kept_->gates() << " gates";
  out_ << '\n';
  if (config_.sampling)
    out_ << "samples = " << config_.sampling->samples << " of 2^" << split_.use_bits
         << (source_.independent() ? " independent patterns" : " patterns")
         << ", seed = " << config_.sampling->seed << ", replicate = " << config_.sampling->replicate << '\n';
  out_ << '\n';
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
    if (with_worker_bits) out_ << " = " << counting::bit_of(config_.worker, j);
    out_ << ' ';
  }
  out_ << '\n';
}

void engine::apply_limits() {
  counting::limit_memory(config_.memory_limit, out_);
  const counting::memory_room room = counting::memory_room_now(config_.memory_limit);
  const std::uint64_t tables = tables_alive();
  check_table_memory(tables, split_.use_bits, room);
  copies_allowed_ = copies_that_fit(tables, split_.use_bits, room, copies_allowed_);
}

std::uint64_t engine::runner_count() const {
  // Time checks follow the batch order; tables the word loops share among the threads already
  // keep them busy.
  if (progress_.timed() || tab_t::shared_among_threads(split_.max_combs)) return 1;
  return std::min({copies_allowed_, static_cast<std::uint64_t>(omp_get_max_threads()), split_.max_batch});
}

void engine::build_bitsets() {
  progress_.start_estimate();
  const util::phase phase("building bitsets", separator, out_);
  for (std::uint32_t& entry : order_) entry += circuit_.fixed_count();
  for (std::uint64_t k = runners_.size(); k < runner_count(); ++k) runners_.emplace_back(*plan_).allocate();
  for (batch_runner& runner : runners_) runner.build_tables();
  phase.end();
}

void engine::count() {
  build_bitsets();
  simulate();
}

void engine::simulate() {
  progress_.start();  // the phase's times count from just before its start line
  const util::phase phase("simulation", separator, out_);
  if (runners_.size() == 1) {
    run_in_order();
  } else {
    run_in_chunks();
  }
  for (batch_runner& runner : runners_) runner.finish_counts();
  for (std::uint64_t k = 1; k < runners_.size(); ++k) runners_[k].add_totals_to(runners_.front());
  if (!outcome_.out_of_time) outcome_.gate_iter = circuit_.logic_count();
  outcome_.time_elapsed = progress_.finish(outcome_.same_count, outcome_.status());
}

void engine::run_in_order() {
  batch_runner& runner = runners_.front();
  const progress* timer = progress_.timed() ? &progress_ : nullptr;
  while (outcome_.batch_iter < split_.max_batch) {
    const batch_result batch = runner.run(outcome_.batch_iter, true, timer);
    outcome_.same_count += batch.same_count;
    if (batch.stopped) {
      outcome_.out_of_time = true;
      outcome_.gate_iter = batch.gate_iter;
      return;
    }
    ++outcome_.batch_iter;
    progress_.batch_done(outcome_.batch_iter, outcome_.same_count);
  }
}

void engine::run_in_chunks() {
  const std::uint64_t max_batch = split_.max_batch;
  const std::uint64_t chunk = chunk_batches(max_batch, runners_.size());
  const std::uint64_t chunks = (max_batch - 1) / chunk + 1;
  std::atomic<std::uint64_t> next{0};  // the next chunk to run
  std::atomic<bool> failed{false};
  std::vector<std::exception_ptr> failures(runners_.size());
  // Chunks run but not yet committed, by index: a thread never waits for a slower one, it leaves
  // its chunk for whichever thread commits the chunks before it.
  std::mutex commit_mutex;
  std::map<std::uint64_t, std::vector<std::uint64_t>> waiting;
  std::uint64_t turn = 0;  // the next chunk to commit
  const int threads = static_cast<int>(runners_.size());
#pragma omp parallel num_threads(threads)
  {
    const std::size_t thread = static_cast<std::size_t>(omp_get_thread_num());
    batch_runner& runner = runners_[thread];
    try {
      for (std::uint64_t c; !failed.load(std::memory_order_relaxed) && (c = next.fetch_add(1)) < chunks;) {
        const std::uint64_t first = c * chunk, end = std::min(max_batch, first + chunk);
        if (config_.use_cache && first != 0 && !runner.holds(first - 1)) runner.run(first - 1, false);
        std::vector<std::uint64_t> same_counts;
        same_counts.reserve(end - first);
        for (std::uint64_t b = first; b < end; ++b) same_counts.push_back(runner.run(b, true).same_count);
        const std::lock_guard lock(commit_mutex);
        waiting.emplace(c, std::move(same_counts));
        for (auto ready = waiting.begin(); ready != waiting.end() && ready->first == turn; ++turn) {
          for (const std::uint64_t same_count : ready->second) {
            outcome_.same_count += same_count;
            progress_.batch_done(++outcome_.batch_iter, outcome_.same_count);
          }
          ready = waiting.erase(ready);
        }
      }
    } catch (...) {
      failures[thread] = std::current_exception();
      failed.store(true, std::memory_order_relaxed);
    }
  }
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

void engine::write_results(const counting::result_files& files) const {
  counting::write_result_files(files, circuit_, runners_.front().combs(), outcome_);
}

void engine::free_memory() {
  const util::phase phase("freeing memory", separator, out_);
  free();
  phase.end_last();
}

void engine::free() {
  for (batch_runner& runner : runners_) runner.free();
}

counting::outcome run(const operation::Circuit& circuit, std::vector<std::uint32_t> order,
                      std::uint64_t levels, const counting::settings& config,
                      const counting::result_files& files, std::ostream& out,
                      const std::function<void(const engine&)>& inspect) {
  engine simulation(circuit, std::move(order), levels, config, out);
  return counting::run_phases(simulation, files, inspect);
}

}  // namespace simulation
