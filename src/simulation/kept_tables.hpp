#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "operation/circuit.hpp"
#include "simulation/port_readers.hpp"

namespace simulation {

// Which gates the cache covers, and which tables it stores between batches. A covered gate is
// evaluated again only in a batch that changes a var input it depends on; in Gray-code order var
// input i changes in one batch of 2^(i + 1) (in counting order one of 2^i), so the later a gate's
// earliest var inputs, the more the cache saves on it. Every other gate is evaluated in every
// batch, on tables released after their last reader, like a run without the cache: storing a
// table that is recomputed every other batch anyway costs memory traffic that the evaluations it
// saves do not repay once the stored tables outgrow the processor's caches.
//
// A covered gate that depends on no var input is evaluated in a copy's first batch only; its table
// is stored only when a gate that depends on a var input, or no gate, reads it.
//
// A port of a gate the cache does not cover counts as unchanged in a batch when none of the var
// inputs that changed reaches it (its values are not compared: there are no old ones).
class kept_tables {
 public:
  // Nothing covered (a run without the cache).
  explicit kept_tables(const operation::Circuit& circuit);
  // The gates whose var inputs change least often, as many as store at most `budget` tables (a
  // gate that computes a table counts one; wires share their input's). `var_nodes`: the node
  // positions of the var inputs, the most often changing first; `ports` numbers the circuit's ports.
  // A covered gate's inputs are covered too, since they depend on no other var inputs; so are the
  // gates that depend on the same var inputs as a covered one.
  kept_tables(const operation::Circuit& circuit, const port_readers& ports, std::span<const std::uint32_t> var_nodes,
              std::uint64_t budget);

  // Whether the cache covers node n (constant and input nodes always count as covered).
  bool kept(operation::nid_t n) const { return kept_[n]; }
  // Whether node n's tables stay from one batch to the next (constant and input nodes' do).
  bool stored(operation::nid_t n) const { return stored_[n]; }
  // Whether logic node n reads a table that does not stay, which its evaluation may release.
  bool reads_unstored(operation::nid_t n) const { return reads_unstored_[n]; }
  // The gates that compute a table of their own, how many of them the cache covers, and how many
  // tables it stores.
  std::uint64_t gates() const { return gates_; }
  std::uint64_t kept_gates() const { return kept_gates_; }
  std::uint64_t stored_tables() const { return stored_tables_; }
  bool all() const { return kept_gates_ == gates_; }
  bool none() const { return kept_gates_ == 0; }
  // Whether every table stays from one batch to the next.
  bool all_stored() const { return all_stored_; }

  // Ports of the gates the cache does not cover: how many, and how many of them no changed var
  // input reaches.
  struct uncovered_ports {
    std::uint64_t count = 0;
    std::uint64_t unreached = 0;
  };
  // Among the ports numbered [first, end) as `port_readers` numbers them, those of gates the
  // cache does not cover; `changed` has bit i set when var input i changed since the batch before.
  // Quick for all ports when one var input changed (Gray-code order) or var inputs 0 to k did
  // (counting order).
  uncovered_ports ports_not_covered(std::uint64_t changed, std::uint64_t first, std::uint64_t end) const;

 private:
  std::vector<bool> kept_;    // per node position
  std::vector<bool> stored_;  // per node position
  std::vector<bool> reads_unstored_;  // per node position
  std::uint64_t gates_ = 0;
  std::uint64_t kept_gates_ = 0;
  std::uint64_t stored_tables_ = 0;
  bool all_stored_ = false;
  // Per port, the var inputs that reach it (bit i: var input i); empty when every gate is covered.
  std::vector<std::uint64_t> port_words_;
  std::vector<bool> port_uncovered_;
  std::uint64_t uncovered_ports_ = 0;
  // unreached_when_one_[i]: uncovered ports that var input i does not reach; unreached_when_first_[k]:
  // those that none of var inputs 0 to k reaches.
  std::vector<std::uint64_t> unreached_when_one_, unreached_when_first_;
  // Covers no gate: only the constant and input nodes count as covered and stored.
  void cover_nothing(const operation::Circuit& circuit);
  // Whether every table stays, and which logic nodes read a table that does not.
  void find_unstored_reads(const operation::Circuit& circuit);
  // Fills the port words and the counts of uncovered ports.
  void count_uncovered_ports(const operation::Circuit& circuit, const port_readers& ports,
                             std::span<const std::uint32_t> var_nodes);
};

}  // namespace simulation
