#pragma once

#include <cstdint>
#include <vector>

#include "count_table.hpp"
#include "multiprecision.hpp"

namespace join {

// The spread of one quantity's estimates over independent replicates: Welford's running mean and
// sum of squared deviations, which stay accurate however close the estimates lie.
class running_spread {
 public:
  // Adds one replicate's estimate.
  void add(const mp_flt& estimate);
  // The standard error of the replicates' mean: their standard deviation (with R − 1 degrees of
  // freedom) divided by √R. Needs two replicates or more.
  mp_flt standard_error() const;

 private:
  std::uint64_t count_ = 0;
  mp_flt mean_ = 0;
  mp_flt squares_ = 0;  // sum of squared deviations from the mean
};

// The standard errors of every gate's energy and of the circuit's total, from count files read as
// independent replicates: each file's own counts give that replicate's estimates.
class replicate_spread {
 public:
  // Adds the estimates from the counts of the file `table` read last (a table that keeps them).
  void add_file(const CountTable& table);
  // The standard error of gate `nid`'s energy.
  mp_flt gate_error(operation::nid_t nid) const { return gates_[nid].standard_error(); }
  // The standard error of the circuit's total energy.
  mp_flt total_error() const { return total_.standard_error(); }

 private:
  std::vector<running_spread> gates_;
  running_spread total_;
};

}  // namespace join
