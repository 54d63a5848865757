#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "simulation/input_split.hpp"
#include "simulation/settings.hpp"

namespace simulation {

// The values of the var inputs in each batch, as words whose bit i is the value of var input i
// (entry i of the input order); bits past the var inputs are 0.
//
// Enumerating, batch b gives the var inputs the bits of b XOR b/2 (Gray-code order: one input
// changes from a batch to the next) or of b itself (counting order).
//
// Sampling, every batch draws its values uniformly at random and independently of every other
// batch: 64-bit word 2k + j (j = 0, 1) of batch b is words j of Philox4x32-10 with the counter
// (b mod 2^32, b / 2^32, k, replicate) and the key (seed mod 2^32, seed / 2^32), each word made of
// the generator's 32-bit outputs 2j (low half) and 2j + 1 (high half). A batch's values are thus a
// pure function of (seed, replicate, batch), whatever thread runs it and in whatever order.
class batch_source {
 public:
  batch_source(const settings& config, const input_split& split);

  // The number of words of a batch's values.
  std::uint64_t words() const { return words_; }
  // Writes the var input values of batch `batch` into `values` (`words()` words).
  void var_values(std::uint64_t batch, std::span<std::uint64_t> values) const;
  // Whether the batches are random samples rather than an enumeration.
  bool sampled() const { return sampling_.has_value(); }

 private:
  std::uint32_t var_bits_;
  std::uint64_t words_;
  bool use_gray_code_;
  std::optional<simulation::sampling> sampling_;
};

}  // namespace simulation
