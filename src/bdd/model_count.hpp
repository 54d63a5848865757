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
  explicit model_counter(std::uint32_t variables) : zero_{0, variables}, one_{1, variables} {}

  count_t count(const diagram& f);

 private:
  // A node's count of the assignments of the variables from its level down, and that level (the
  // variables' count for the constants).
  struct counted {
    count_t models;
    std::uint32_t level = 0;
  };

  // Counts, once per walk, the assignments of the variables from `root`'s level down that satisfy
  // it, and those of every node below it.
  void count_below(int root);
  // The count of a node counted in this walk, or of a constant.
  const counted& value(int root) const;
  // The count of `child` of a node at `parent_level`, times 2 per level skipped between them: the
  // child's own count when none is, else its multiple in `scratch`.
  mpz_srcptr scaled(int child, std::uint32_t parent_level, count_t& scratch) const;

  // Where a node's count of the current walk is in `counts_`, valid when the stamp is the walk's.
  struct place {
    std::uint32_t stamp = 0;
    std::uint32_t index = 0;
  };

  // Per node number. The counts of one walk take the first places of `counts_`, which keep their
  // storage from walk to walk, so memory follows the largest diagram counted, not the table.
  std::vector<place> places_;
  std::vector<counted> counts_;
  std::size_t used_ = 0;
  std::uint32_t walk_ = 0;
  counted zero_;
  counted one_;
  count_t scratch_high_;  // the children's shares of the node being counted
  count_t scratch_low_;
};

}  // namespace symbolic
