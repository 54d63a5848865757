#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <iostream>
#include <optional>
#include <vector>

#include "counting/input_split.hpp"
#include "counting/outcome.hpp"
#include "counting/phases.hpp"
#include "counting/results.hpp"
#include "counting/settings.hpp"
#include "operation/circuit.hpp"
#include "simulation/batch_runner.hpp"
#include "simulation/batch_source.hpp"
#include "simulation/kept_tables.hpp"
#include "simulation/port_readers.hpp"
#include "simulation/progress.hpp"

namespace simulation {

// The simulation of a sorted circuit: for every gate that is not reversible, how many assignments
// of the primary inputs (of this worker's share) make the gate see each combination of its input
// values. The inputs, in the given order, split into var inputs (enumerated batch by batch, in
// Gray-code order by default), use inputs (one bit position per assignment in every value table)
// and sel inputs (fixed by the worker number). A sampled run draws the var inputs of every batch
// at random instead, or, with independent patterns, every input's whole table (`batch_source`), so
// that its counts cover a random sample of the assignments; it runs without the cache.
// A gate whose inputs did not change since the previous batch keeps its tables and counts (the
// cache), for the gates whose var inputs change least often, as many as `kept_table_budget`
// allows; without the cache, and for the other gates, a table is released after its last reader.
//
// The batches are shared among the threads of the default team, in chunks of consecutive batches,
// each thread with a copy of the tables (as many copies as the memory allows); the counts, the
// unchanged-table counts and the progress lines are exactly those of one thread running the
// batches in order. A run with a time limit, or with tables large enough for the word loops to
// share among the threads, uses one copy.
//
// `run` drives it through its phases.
class engine {
 public:
  engine(const engine&) = delete;
  engine& operator=(const engine&) = delete;
  ~engine() { free(); }

  const counting::input_split& split() const { return split_; }
  const counting::outcome& result() const { return outcome_; }
  // The totals of node n over the batches run; null for reversible gates, constant and input nodes.
  const operation::cmb_t* combs(operation::nid_t n) const { return runners_.front().combs()[n]; }

  // `circuit`: sorted, constant node (if any) at 0, then inputs, logic and outputs; it must outlive
  // the engine. `order`: the input indices 0 to inp_count - 1 in the chosen order. `levels`: the
  // circuit's number of logic levels (shown in the summary). Throws what `split_inputs` throws.
  engine(const operation::Circuit& circuit, std::vector<std::uint32_t> order, std::uint64_t levels,
         const counting::settings& config, std::ostream& out);

  // The phases, in the order `counting::run_phases` runs them.
  // Phase "building structures": the per-node tables and counters, and the run's summary lines.
  void build_structures();
  // Applies "-limit-memory" (`counting::limit_memory`), then refuses value tables that cannot fit
  // in the physical memory or under the limit (`tables_too_large`) and decides how many copies of
  // them the threads may have.
  void apply_limits();
  // Phases "building bitsets" (the constant, use and sel input tables) and "simulation" (the batch
  // loop with its progress lines and closing summary).
  void count();
  // Writes the result files asked for.
  void write_results(const counting::result_files& files) const;
  // Phase "freeing memory": releases every table and counter.
  void free_memory();

 private:
  void build_bitsets();
  void simulate();
  // Releases every table and counter, silently.
  void free();

  // The gates whose tables the cache keeps: those whose var inputs change least often, within
  // `kept_table_budget`.
  kept_tables choose_kept_tables() const;
  // The most value tables a copy holds at once beside the use inputs' (see `logic_tables_alive`),
  // the var inputs' own tables of independent patterns included.
  std::uint64_t tables_alive() const;
  void print_summary() const;
  void print_group(std::string_view label, std::uint32_t first, std::uint32_t count, std::uint64_t width,
                   bool with_worker_bits) const;
  // The number of copies of the tables the batches are shared among.
  std::uint64_t runner_count() const;
  // Runs every batch in order on the first copy, with the time checks and progress lines.
  void run_in_order();
  // Runs the batches in chunks shared among the copies, one thread each, committing each chunk's
  // unchanged-table counts and progress lines in batch order.
  void run_in_chunks();

  const operation::Circuit& circuit_;
  std::vector<std::uint32_t> order_;  // input indices, then (from "building bitsets") positions
  std::uint64_t levels_;
  counting::settings config_;
  std::ostream& out_;
  counting::input_split split_;
  batch_source source_;
  std::optional<port_readers> readers_;
  std::optional<gate_sequence> gates_;
  std::optional<kept_tables> kept_;
  std::optional<simulation_plan> plan_;
  std::deque<batch_runner> runners_;  // the copies of the tables; the first one holds the totals
  std::uint64_t copies_allowed_;      // copies that fit in memory
  progress progress_;
  counting::outcome outcome_;
};

// Simulates `circuit` through every phase, each printing its banners and lines on `out`:
// "building structures", the memory limits, "building bitsets", "simulation", the result files
// asked for, "freeing memory". `order` and `levels` as the engine takes them. `inspect`, when
// given, sees the engine once its totals are complete, before they are freed. Throws what
// `split_inputs` throws, `tables_too_large`, and util::resource_error "Could not limit memory.".
counting::outcome run(const operation::Circuit& circuit, std::vector<std::uint32_t> order,
                      std::uint64_t levels, const counting::settings& config,
                      const counting::result_files& files, std::ostream& out = std::cout,
                      const std::function<void(const engine&)>& inspect = {});

}  // namespace simulation
