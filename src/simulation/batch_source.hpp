#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "counting/input_split.hpp"
#include "counting/settings.hpp"

namespace simulation {

// The values of the var inputs in each batch, as words whose bit i is the value of var input i
// (entry i of the input order); bits past the var inputs are 0.
//
// Enumerating, batch b gives the var inputs the bits of b XOR b/2 (Gray-code order: one input
// changes from a batch to the next) or of b itself (counting order).
//
// Sampling batches ("-sampling batch"), every batch draws its var input values uniformly at random
// and independently of every other batch: 64-bit word 2k + j (j = 0, 1) of batch b is word j of
// Philox4x32-10 with the counter (b mod 2^32, b / 2^32, k, replicate) and the key (seed mod 2^32,
// seed / 2^32), each word made of the generator's 32-bit outputs 2j (low half) and 2j + 1 (high
// half). A batch's values are thus a pure function of (seed, replicate, batch), whatever thread
// runs it and in whatever order.
//
// Sampling independent patterns, every input, var or use, draws its whole table in every batch:
// word 2k + j of the table of input i (its index in the netlist, whatever the input order) in
// batch b is word j of the block with the counter (q mod 2^32, q / 2^32, i, replicate) and the same
// key, q = b * blocks + k, blocks = 2^use_bits / 128 (at least 1; a table of fewer than 64 bits
// keeps the low bits of its block). From 2^7 bits on, pattern p of a replicate (pattern p mod 2^U
// of batch p / 2^U) is thus bit p mod 128 of block p / 128, whatever the batch size.
class batch_source {
 public:
  batch_source(const counting::settings& config, const counting::input_split& split);

  // The number of words of a batch's var input values (none for independent patterns).
  std::uint64_t words() const { return words_; }
  // Writes the var input values of batch `batch` into `values` (`words()` words).
  void var_values(std::uint64_t batch, std::span<std::uint64_t> values) const;
  // The number of words of an input's table of independent patterns.
  std::uint64_t table_words() const { return table_words_; }
  // Writes the values of input `input` (its index in the netlist) in the independent patterns of
  // batch `batch` into `words` (`table_words()` words; bits past the table's size are 0).
  void input_words(std::uint64_t batch, std::uint32_t input, std::span<std::uint64_t> words) const;
  // Whether the batches are random samples rather than an enumeration.
  bool sampled() const { return sampling_.has_value(); }
  // Whether every pattern of a batch draws every input anew: the inputs' tables come from
  // `input_words` rather than from the var values and the enumeration of the use inputs.
  bool independent() const { return independent_; }

 private:
  // The generator's key: the seed's halves.
  std::array<std::uint32_t, 2> key() const;

  std::uint32_t var_bits_;
  bool independent_;
  std::uint64_t words_;
  std::uint64_t table_bits_;    // 2^use_bits
  std::uint64_t table_words_;   // words per table, at least 1
  std::uint64_t table_blocks_;  // generator blocks per table, at least 1
  bool use_gray_code_;
  std::optional<counting::sampling> sampling_;
};

}  // namespace simulation
