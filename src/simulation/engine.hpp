#pragma once

#include <array>
#include <cstdint>
#include <iostream>
#include <vector>

#include "operation/circuit.hpp"
#include "simulation/input_split.hpp"
#include "simulation/node_state.hpp"
#include "simulation/outcome.hpp"
#include "simulation/progress.hpp"
#include "simulation/results.hpp"
#include "simulation/settings.hpp"

namespace simulation {

// The exhaustive simulation of a sorted circuit: for every gate that is not reversible, how many
// assignments of the primary inputs (of this worker's share) make the gate see each combination
// of its input values. The inputs, in the given order, split into var inputs (enumerated batch by
// batch, in Gray-code order by default), use inputs (one bit position per assignment in every
// value table) and sel inputs (fixed by the worker number). A gate whose inputs did not change
// since the previous batch keeps its tables and counts (the cache); without the cache a table is
// released after its last reader.
//
// A run calls, in order: `build_structures`, `apply_limits`, `build_bitsets`, `simulate`,
// `write_results`, `free_memory`; each phase prints its banners and lines on `out`.
class engine {
 public:
  // `circuit`: sorted, constant node (if any) at 0, then inputs, logic and outputs; it must outlive
  // the engine. `order`: the input indices 0 to inp_count - 1 in the chosen order. `levels`: the
  // circuit's number of logic levels (shown in the summary). Throws what `split_inputs` throws.
  engine(const operation::Circuit& circuit, std::vector<std::uint32_t> order, std::uint64_t levels,
         const settings& config, std::ostream& out = std::cout);
  engine(const engine&) = delete;
  engine& operator=(const engine&) = delete;
  ~engine() { free(); }

  // Phase "building structures": the per-node tables and counters, and the run's summary lines.
  void build_structures();
  // Applies "-limit-memory" ("limiting memory to N"), then refuses value tables that cannot fit in
  // the physical memory or under the limit (`tables_too_large`). Throws std::runtime_error
  // "Could not limit memory." when the system refuses the limit.
  void apply_limits();
  // Phase "building bitsets": the constant, use and sel input tables.
  void build_bitsets();
  // Phase "simulation": the batch loop with its progress lines and closing summary.
  void simulate();
  // Writes the result files asked for.
  void write_results(const result_files& files) const;
  // Phase "freeing memory": releases every table and counter.
  void free_memory();
  // Releases every table and counter, silently.
  void free();

  const input_split& split() const { return split_; }
  const outcome& result() const { return outcome_; }
  // The totals of node n over the batches run; null for reversible gates, constant and input nodes.
  const operation::cmb_t* combs(operation::nid_t n) const { return state_.combs()[n]; }

 private:
  void print_summary() const;
  void print_group(std::string_view label, std::uint32_t first, std::uint32_t count, std::uint64_t width,
                   bool with_worker_bits) const;
  // Sets the constant and var input tables and the sources' unchanged flags for one batch.
  void set_sources(std::uint64_t gray_iter, std::uint64_t prev_gray_iter);
  // Sets every reader counter to the number of arcs that read its port (without the cache).
  void count_readers();
  // Evaluates the logic nodes of one batch; false when a time check stopped it.
  bool run_gates();
  // Shares the storage of a logic node's constant output tables and counts its unchanged ports.
  void settle_outputs(operation::nid_t n, operation::pos_t ports);
  // Drops a node's reads: a table whose last reader of the batch has run is released.
  void release_read_tables(const operation::Node& node);
  // Releases a table without the cache, keeping its storage as a spare for the next evaluation.
  void recycle(operation::tab_t& table);
  // Gives the port that `node` computes a spare storage when it has none, so that the gate
  // overwrites it instead of allocating a new one.
  void lend_spare(const operation::Node& node, operation::tab_t** own);

  const operation::Circuit& circuit_;
  std::vector<std::uint32_t> order_;  // input indices, then (from "building bitsets") positions
  std::uint64_t levels_;
  settings config_;
  std::ostream& out_;
  input_split split_;
  node_state state_;
  operation::tab_t zero_;                    // all 0, of 2^use_bits bits
  std::array<operation::tab_t, 2> shannon_;  // shared copies of zero_: as is, and complemented
  std::vector<operation::tab_t> spare_;      // storage of released tables, without the cache
  progress progress_;
  outcome outcome_;
};

}  // namespace simulation
