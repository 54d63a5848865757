#pragma once

#include <memory>
#include <vector>

#include "operation/circuit.hpp"
#include "operation/operation.hpp"
#include "util/bitset/base.hpp"

namespace simulation {

// The per-node structures of a simulation, indexed by node position over the constant, input and
// logic nodes (output markers have none). Each kind of entry lives in one pool, so a circuit of
// millions of nodes costs a handful of allocations; the pointer arrays are the shape the gate
// evaluators take.
class node_state {
 public:
  node_state() = default;
  node_state(const node_state&) = delete;
  node_state& operator=(const node_state&) = delete;

  // For every node: one empty table per output port; zeroed totals and batch counters (2^k each)
  // when its gate is not reversible; one unchanged flag per port (false) when `flags`, and one
  // reader counter per port (0) when `reader_counters`.
  void allocate(const operation::Circuit& circuit, bool flags, bool reader_counters);
  // Releases every table and array.
  void free();

  // tables[n][p]: the table of port p of node n.
  operation::tab_t*** tables() { return tables_.data(); }
  // combs[n]: node n's totals over all batches; null for reversible gates.
  operation::cmb_t** combs() { return combs_.data(); }
  const operation::cmb_t* const* combs() const { return combs_.data(); }
  // local_combs[n]: node n's counts in the latest batch that evaluated it; null for reversible gates.
  operation::cmb_t** local_combs() { return local_combs_.data(); }
  // same[n][p]: port p of node n holds the values of the previous batch; null without flags.
  bool** same() { return same_.empty() ? nullptr : same_.data(); }
  // output_counter[n][p]: readers of port p of node n still to run in this batch; null without counters.
  operation::nid_t** output_counter() { return output_counter_.empty() ? nullptr : output_counter_.data(); }
  // Sets the reader counter of every port (numbered in node order) to counts[port].
  void reset_output_counters(const std::vector<operation::nid_t>& counts);

 private:
  std::vector<operation::tab_t> table_pool_;
  std::vector<operation::tab_t*> table_ptrs_;
  std::vector<operation::tab_t**> tables_;
  std::vector<operation::cmb_t> comb_pool_;
  std::vector<operation::cmb_t*> combs_;
  std::vector<operation::cmb_t> local_pool_;
  std::vector<operation::cmb_t*> local_combs_;
  std::unique_ptr<bool[]> same_pool_;
  std::vector<bool*> same_;
  std::vector<operation::nid_t> counter_pool_;
  std::vector<operation::nid_t*> output_counter_;
};

}  // namespace simulation
