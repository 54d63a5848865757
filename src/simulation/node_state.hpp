#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "operation/circuit.hpp"
#include "operation/operation.hpp"
#include "util/bitset/base.hpp"

namespace simulation {

// The per-node structures of a simulation, indexed by node position over the constant, input and
// logic nodes (output markers have none). A node's table handles, reader counters and unchanged
// flags lie side by side in one small block, so that a gate reading an input touches one cache
// line for all of them; the blocks and the counters each live in one pool, so a circuit of millions
// of nodes costs a handful of allocations. The pointer arrays are the shape the gate evaluators take.
class node_state {
 public:
  node_state() = default;
  node_state(const node_state&) = delete;
  node_state& operator=(const node_state&) = delete;
  ~node_state() { free(); }

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
  // output_counter[n][p]: readers of port p of node n still to run in this batch (set when node n
  // is evaluated); null without counters.
  operation::nid_t** output_counter() { return output_counter_.empty() ? nullptr : output_counter_.data(); }

 private:
  // The blocks' storage, and the tables placed in it (destroyed by `free`).
  struct block_pool_deleter {
    void operator()(std::byte* pool) const;
  };
  std::unique_ptr<std::byte[], block_pool_deleter> blocks_;
  std::vector<operation::tab_t*> placed_tables_;
  std::vector<operation::tab_t**> tables_;
  std::vector<operation::cmb_t> comb_pool_;
  std::vector<operation::cmb_t*> combs_;
  std::vector<operation::cmb_t> local_pool_;
  std::vector<operation::cmb_t*> local_combs_;
  std::vector<bool*> same_;
  std::vector<operation::nid_t*> output_counter_;
};

}  // namespace simulation
