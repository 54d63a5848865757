#pragma once

#include <cstdint>

#include "counting/settings.hpp"
#include "operation/operation.hpp"

namespace counting {

// How the primary inputs divide, in the input order, into var inputs (enumerated batch by batch),
// use inputs (one bit position per assignment in every table) and sel inputs (fixed by the worker).
struct input_split {
  std::uint32_t var_bits = 0;
  std::uint32_t use_bits = 0;
  std::uint32_t sel_bits = 0;
  operation::cmb_t max_combs = 1;  // 2^use_bits: patterns per batch, bits per table
  std::uint64_t max_batch = 1;     // 2^var_bits: batches

  bool operator==(const input_split&) const = default;
};

// The number of sel inputs: "-sel-bits" capped at the input count. Throws `worker_out_of_range`
// when the worker number is not below 2^sel_bits.
std::uint32_t worker_sel_bits(operation::nid_t inp_count, const settings& config);

// Use bits of a sampled run without "-use-bits". Sampling batches, the patterns of a batch share
// the drawn var inputs, so they tell less than as many independent draws; smaller batches give
// more information per pattern but cost more per pattern. 2^12-bit tables (512 bytes) balance the
// two on arithmetic circuits (bench/fullsim_sample). Independent patterns tell as much in any batch
// size, which then sets only the cost per pattern and the granularity of a sample.
inline constexpr std::uint32_t default_sample_use_bits = 12;

// The split of `inp_count` inputs under the settings. A sampled run has no sel bits, use bits
// "-use-bits" (default `default_sample_use_bits`) capped at the input count, var bits the rest (any
// number: they are drawn, not enumerated) and one batch per sample; it throws
// `sampling_with_workers` when sel bits are asked for and `sample_too_large` when the patterns of
// all samples could not be counted in 64 bits. Otherwise sel bits are "-sel-bits" capped at the
// input count, use bits "-use-bits" (default: all the rest) capped at what is left, var bits the
// rest; it throws `worker_out_of_range` when the worker number is not below 2^sel_bits and
// `too_many_bits` when use or var bits reach 64, which the 64-bit counts cannot hold.
input_split split_inputs(operation::nid_t inp_count, const settings& config);

// Bit `j` of `value`; 0 from bit 64 on.
inline bool bit_of(std::uint64_t value, std::uint64_t j) { return j < 64 && ((value >> j) & 1) != 0; }

}  // namespace counting
