#include "simulation/batch_source.hpp"

#include <algorithm>

#include "util/philox.hpp"

namespace simulation {

namespace {

std::uint32_t low_half(std::uint64_t value) { return static_cast<std::uint32_t>(value); }
std::uint32_t high_half(std::uint64_t value) { return static_cast<std::uint32_t>(value >> 32); }
std::uint64_t joined(std::uint32_t low, std::uint32_t high) { return std::uint64_t{high} << 32 | low; }

// Writes the two words of a Philox block into words `first` and `first + 1`, as far as `words` goes.
void put_block(const std::array<std::uint32_t, 4>& block, std::span<std::uint64_t> words,
               std::uint64_t first) {
  words[first] = joined(block[0], block[1]);
  if (first + 1 < words.size()) words[first + 1] = joined(block[2], block[3]);
}

bool independent_patterns(const counting::settings& config) {
  return config.sampling && config.sampling->kind == counting::sample_kind::independent;
}

}  // namespace

batch_source::batch_source(const counting::settings& config, const counting::input_split& split)
    : var_bits_(split.var_bits),
      independent_(independent_patterns(config)),
      words_(independent_ ? 0 : (split.var_bits + 63) / 64),
      table_bits_(split.max_combs),
      table_words_(std::max<std::uint64_t>(1, split.max_combs / 64)),
      table_blocks_(std::max<std::uint64_t>(1, split.max_combs / 128)),
      use_gray_code_(config.use_gray_code),
      sampling_(config.sampling) {}

void batch_source::var_values(std::uint64_t batch, std::span<std::uint64_t> values) const {
  if (!sampling_) {
    // Enumerated runs have fewer than 64 var bits.
    if (!values.empty()) values[0] = use_gray_code_ ? batch ^ (batch >> 1) : batch;
    return;
  }
  for (std::uint64_t word = 0; word < words_; word += 2)
    put_block(util::philox4x32({low_half(batch), high_half(batch), static_cast<std::uint32_t>(word / 2),
                                sampling_->replicate},
                               key()),
              values, word);
  if (var_bits_ % 64 != 0) values[words_ - 1] &= (std::uint64_t{1} << (var_bits_ % 64)) - 1;
}

void batch_source::input_words(std::uint64_t batch, std::uint32_t input,
                               std::span<std::uint64_t> words) const {
  const std::array<std::uint32_t, 2> seed_key = key();
  const std::uint64_t first_block = batch * table_blocks_;
  for (std::uint64_t word = 0; word < table_words_; word += 2) {
    const std::uint64_t block = first_block + word / 2;
    put_block(util::philox4x32({low_half(block), high_half(block), input, sampling_->replicate}, seed_key),
              words, word);
  }
  if (table_bits_ < 64) words[0] &= (std::uint64_t{1} << table_bits_) - 1;
}

std::array<std::uint32_t, 2> batch_source::key() const {
  return {low_half(sampling_->seed), high_half(sampling_->seed)};
}

}  // namespace simulation
