#pragma once

#include <cstdint>

#include "util/error.hpp"

namespace counting {

// A worker number at or past the number of workers that the sel bits make: its share would
// repeat another worker's, and summing the workers' files would count it twice.
class worker_out_of_range : public util::usage_error {
 public:
  worker_out_of_range(std::uint64_t worker, std::uint32_t sel_bits, std::uint32_t sel_bits_asked);
};

// Use or var bits of 64 or more: the patterns of one batch, or the batches, could not be counted
// in 64 bits. `sel_bits_needed` is the smallest "-sel-bits" that avoids it.
class too_many_bits : public util::usage_error {
 public:
  too_many_bits(std::uint32_t use_bits, std::uint32_t var_bits, std::uint64_t sel_bits_needed);
};

// Sel bits in a sampled run: every sample is drawn from the whole input space, so there are no
// shares to split; independent replicates ("-replicate") take the place of workers.
class sampling_with_workers : public util::usage_error {
 public:
  sampling_with_workers();
};

// Samples whose patterns (samples × 2^use_bits per gate) could not be counted in 64 bits.
class sample_too_large : public util::usage_error {
 public:
  sample_too_large(std::uint64_t samples, std::uint32_t use_bits);
};

}  // namespace counting
