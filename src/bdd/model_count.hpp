#pragma once

#include <algorithm>
#include <boost/multiprecision/gmp.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bdd/diagram.hpp"

namespace symbolic {

using count_t = boost::multiprecision::mpz_int;  // an exact count of assignments, of any size

// Exact model counts: how many assignments of all the session's variables satisfy a diagram.
// A walk over the diagram's nodes in the current variable order (sifting moves levels), where an
// arc that skips levels multiplies by 2 per skipped variable; every node is counted once per walk.
class model_counter {
 public:
  explicit model_counter(std::uint32_t variables) : variables_(variables) {}

  count_t count(const diagram& f);

 private:
  // The level of a node (the variables' count for the constants).
  std::uint32_t level_of(int root) const;
  // Counts, once per walk, the assignments of the variables from `root`'s level down that satisfy
  // it, and those of every node below it.
  void count_below(int root);
  // The count of a node counted in this walk.
  const count_t& value(int root) const;

  std::uint32_t variables_;
  // Per node number: where its count of the current walk is in `counts_`, valid when its stamp is
  // the walk's. The counts of one walk take the first places of `counts_`, which keep their
  // storage from walk to walk, so memory follows the largest diagram counted, not the table.
  std::vector<std::uint32_t> places_;
  std::vector<std::uint32_t> stamps_;
  std::vector<count_t> counts_;
  std::size_t used_ = 0;
  std::uint32_t walk_ = 0;
  count_t zero_ = 0;
  count_t one_ = 1;
  count_t scratch_;  // the low child's share of the node being counted
};

}  // namespace symbolic
