#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "counting/input_split.hpp"
#include "counting/settings.hpp"
#include "operation/circuit.hpp"
#include "simulation/batch_source.hpp"
#include "simulation/gate_sequence.hpp"
#include "simulation/kept_tables.hpp"
#include "simulation/node_state.hpp"
#include "simulation/port_readers.hpp"
#include "simulation/progress.hpp"

namespace simulation {

// What the copies of one simulation's state share, read-only while they run.
struct simulation_plan {
  const operation::Circuit& circuit;
  const counting::input_split& split;
  const counting::settings& config;
  const std::vector<std::uint32_t>& order;  // the inputs' node positions: var, use, then sel inputs
  const port_readers& readers;
  const gate_sequence& gates;  // the logic nodes' gates and arcs, in position order
  const batch_source& source;  // the input values of every batch: var values, or drawn tables
  const kept_tables& kept;     // the gates whose tables the cache keeps (none without it)
};

// What one batch found.
struct batch_result {
  std::uint64_t same_count = 0;  // table entries found unchanged (up to the stop, after a stop)
  bool stopped = false;          // a time check ended the batch after gate `gate_iter`
  std::uint64_t gate_iter = 0;   // position among the logic nodes of the last gate evaluated
};

// One copy of the simulation's tables and counters, which evaluates batches in any order: a
// batch reproduces exactly what the batch loop would find. With the cache this needs the copy to
// have run the batch before it last (otherwise that batch must first run uncounted, to bring the
// tables there), or batch 0 to be the first batch the copy runs; without the cache every batch
// evaluates every gate from the inputs alone, so any order works.
//
// Within a batch only the gates that can see a change are evaluated, in position order: the
// readers of the var input that changed, then the readers of every output that changed. A gate
// left alone keeps its tables and its last counts, which stand for every batch until its next
// evaluation; they are added to the totals then, multiplied by the number of batches, so that the
// totals equal those of adding them batch by batch. Gates the cache does not cover are evaluated
// in every batch, without flags; their ports count as unchanged when no var input that changed
// reaches them. Tables the cache does not store are released after their last reader.
class batch_runner {
 public:
  explicit batch_runner(const simulation_plan& plan) : plan_(plan) {}
  batch_runner(const batch_runner&) = delete;
  batch_runner& operator=(const batch_runner&) = delete;

  // The per-node tables and counters (phase "building structures").
  void allocate();
  // The constant, use and sel input tables (phase "building bitsets"; independent patterns draw the
  // inputs' tables batch by batch instead); the order holds positions.
  void build_tables();
  // Evaluates batch `batch`. A counted batch adds to the totals and returns its unchanged-table
  // count; an uncounted one only brings the tables to the batch. With a `timer`, the time checks
  // after the gates may stop the batch (and the run) early.
  batch_result run(std::uint64_t batch, bool counted, const progress* timer = nullptr);
  // Whether the tables hold batch `batch`.
  bool holds(std::uint64_t batch) const { return started_ && last_batch_ == batch; }
  // Brings the totals up to date with every counted batch (a no-op after a time stop).
  void finish_counts();
  // Adds this copy's totals to `totals` (node by node, of the same circuit).
  void add_totals_to(batch_runner& totals) const;

  // combs[n]: node n's totals; null for reversible gates, constant and input nodes.
  const operation::cmb_t* const* combs() const { return std::as_const(state_).combs(); }
  // Releases every table and counter.
  void free();

 private:
  // Resets last batch's changed flags, sets the constant and var input tables and the sources'
  // flags for a batch with the var input values `values_`, and marks the gates to evaluate.
  void set_sources(std::uint64_t& same_count);
  // Independent patterns: draws every input's table for batch `batch` and marks every gate.
  void draw_inputs(std::uint64_t batch);
  void mark_all_gates();
  // Marks the gates the cache does not cover, which every batch evaluates.
  void mark_unkept_gates();
  void mark_readers(operation::nid_t n, operation::pos_t p);
  // Evaluates node n; returns the number of its ports found changed (with the cache).
  std::uint64_t evaluate(operation::nid_t n);
  // The unchanged-table count of the logic ports before node `end`: the covered ones not found
  // changed (`changed_ports` of them were), and the uncovered ones no changed var input reaches.
  std::uint64_t unchanged_logic_ports(operation::nid_t end, std::uint64_t changed_ports) const;
  // Adds node n's last counts for the batches since they were last added, up to counted batch `upto`.
  void add_counts(operation::nid_t n, std::uint64_t upto);
  // Counts of a run stopped after node `last`: the nodes up to it include the stopped batch, unless
  // the batches are samples, where a partial batch would leave the gates with unequal samples.
  batch_result stop_after(operation::nid_t last, std::uint64_t same_count, std::uint64_t changed_ports);
  // A gate whose tables are not stored: a constant output table shares the constant tables' storage
  // and its own becomes a spare. (A stored table keeps its storage, to overwrite it in place at its
  // next evaluation instead of allocating anew.)
  void settle_outputs(operation::nid_t n, operation::pos_t ports);
  // Sets the reader counters of node n's ports, whose tables are not stored, to their logic arcs.
  void count_readers(operation::nid_t n, operation::pos_t ports);
  // Drops a node's reads: a table not stored whose last reader of the batch has run is released.
  void release_read_tables(std::span<const operation::arc_t> inputs);
  // Releases a table not stored, keeping its storage as a spare for the next evaluation.
  void recycle(operation::tab_t& table);
  // Gives the port that `gate` computes a spare storage when it has none, so that the gate
  // overwrites it instead of allocating a new one; returns that port (`Gate::no_port` if none).
  operation::pos_t lend_spare(operation::Gate gate, operation::tab_t** own);

  const simulation_plan& plan_;
  node_state state_;
  operation::tab_t zero_;                     // all 0, of 2^use_bits bits
  std::array<operation::tab_t, 2> shannon_;   // shared copies of zero_: as is, and complemented
  std::vector<operation::tab_t> spare_;       // storage of released tables
  std::vector<std::uint64_t> dirty_;          // one bit per logic node: evaluate it in this batch
  std::vector<std::uint64_t> unkept_;         // one bit per logic node: the cache does not cover it
  std::vector<bool*> changed_;                // the logic ports' flags found false in the last batch
  std::vector<std::uint64_t> counted_until_;  // per node: counted batches its totals include
  std::uint64_t counted_ = 0;                 // counted batches run
  bool started_ = false;                      // whether a batch has run
  std::uint64_t last_batch_ = 0;
  std::vector<std::uint64_t> values_;       // the var input values of the current batch
  std::vector<std::uint64_t> last_values_;  // those of the batch before
  std::uint64_t changed_vars_ = 0;          // bit i: var input i changed since the batch before
  bool all_changed_ = true;                 // a copy's first batch: nothing counts as unchanged
  bool stopped_ = false;
};

}  // namespace simulation
