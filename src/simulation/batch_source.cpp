#include "simulation/batch_source.hpp"

#include <algorithm>

#include "util/philox.hpp"

namespace simulation {

namespace {

std::uint32_t low_half(std::uint64_t value) { return static_cast<std::uint32_t>(value); }
std::uint32_t high_half(std::uint64_t value) { return static_cast<std::uint32_t>(value >> 32); }
std::uint64_t joined(std::uint32_t low, std::uint32_t high) { return std::uint64_t{high} << 32 | low; }

}  // namespace

batch_source::batch_source(const settings& config, const input_split& split)
    : var_bits_(split.var_bits),
      words_((split.var_bits + 63) / 64),
      use_gray_code_(config.use_gray_code),
      sampling_(config.sampling) {}

void batch_source::var_values(std::uint64_t batch, std::span<std::uint64_t> values) const {
  if (!sampling_) {
    // Enumerated runs have fewer than 64 var bits.
    if (!values.empty()) values[0] = use_gray_code_ ? batch ^ (batch >> 1) : batch;
    return;
  }
  const std::array<std::uint32_t, 2> key{low_half(sampling_->seed), high_half(sampling_->seed)};
  for (std::uint64_t word = 0; word < words_; word += 2) {
    const std::array<std::uint32_t, 4> block = util::philox4x32(
        {low_half(batch), high_half(batch), static_cast<std::uint32_t>(word / 2), sampling_->replicate}, key);
    values[word] = joined(block[0], block[1]);
    if (word + 1 < words_) values[word + 1] = joined(block[2], block[3]);
  }
  if (var_bits_ % 64 != 0) values[words_ - 1] &= (std::uint64_t{1} << (var_bits_ % 64)) - 1;
}

}  // namespace simulation
