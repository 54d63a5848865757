#include "counting/input_split.hpp"

#include <algorithm>

#include "counting/split_errors.hpp"

namespace counting {

namespace {

constexpr std::uint64_t max_bits = 63;  // 2^63 still fits a 64-bit count

// The smallest number of sel bits that keeps use and var bits below 64 for `inp_count` inputs and
// at most `use_asked` use bits.
std::uint64_t sel_bits_needed(std::uint64_t inp_count, std::uint64_t use_asked) {
  std::uint64_t needed = 0;
  if (use_asked > max_bits && inp_count > max_bits) needed = inp_count - max_bits;  // use bits
  if (inp_count > use_asked + max_bits) needed = std::max(needed, inp_count - use_asked - max_bits);  // var
  return needed;
}

input_split sampled_split(operation::nid_t inp_count, const settings& config) {
  if (config.sel_bits != 0) throw sampling_with_workers();
  input_split split;
  split.use_bits = std::min(config.use_bits.value_or(default_sample_use_bits), inp_count);
  split.var_bits = inp_count - split.use_bits;
  const std::uint64_t samples = config.sampling->samples;
  if (split.use_bits > max_bits || samples > (std::uint64_t{1} << (max_bits - split.use_bits)))
    throw sample_too_large(samples, split.use_bits);
  split.max_combs = operation::cmb_t{1} << split.use_bits;
  split.max_batch = samples;
  return split;
}

}  // namespace

std::uint32_t worker_sel_bits(operation::nid_t inp_count, const settings& config) {
  const std::uint32_t sel_bits = std::min<std::uint32_t>(config.sel_bits, inp_count);
  if (sel_bits < 64 && config.worker >> sel_bits != 0)
    throw worker_out_of_range(config.worker, sel_bits, config.sel_bits);
  return sel_bits;
}

input_split split_inputs(operation::nid_t inp_count, const settings& config) {
  if (config.sampling) return sampled_split(inp_count, config);
  input_split split;
  split.sel_bits = worker_sel_bits(inp_count, config);
  const std::uint32_t rest = inp_count - split.sel_bits;
  split.use_bits = std::min(config.use_bits.value_or(inp_count), rest);
  split.var_bits = rest - split.use_bits;
  if (split.use_bits > max_bits || split.var_bits > max_bits)
    throw too_many_bits(split.use_bits, split.var_bits,
                        sel_bits_needed(inp_count, config.use_bits.value_or(inp_count)));
  split.max_combs = operation::cmb_t{1} << split.use_bits;
  split.max_batch = std::uint64_t{1} << split.var_bits;
  return split;
}

}  // namespace counting
