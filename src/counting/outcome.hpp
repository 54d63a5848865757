#pragma once

#include <cstdint>
#include <string_view>

namespace counting {

// Where a simulation run got to: batches and gates done, unchanged tables found, time taken.
struct outcome {
  std::uint64_t batch_iter = 0;  // batches completed
  std::uint64_t max_batch = 1;
  std::uint64_t gate_iter = 0;  // position among the logic nodes of the last gate evaluated
  std::uint64_t max_gates = 0;
  std::uint64_t same_count = 0;  // table entries found unchanged, over all batches
  double time_elapsed = 0;       // seconds of the simulation phase
  bool out_of_time = false;      // a time check stopped the loop
  bool sampled = false;          // the batches were random samples
  std::uint32_t use_bits = 0;    // a batch holds 2^use_bits patterns

  // "done", or "out-of-time" after a time stop.
  std::string_view status() const { return out_of_time ? "out-of-time" : "done"; }
};

}  // namespace counting
