#include "util/bitset/kernels.hpp"

#include <omp.h>

#include <algorithm>
#include <stdexcept>

namespace bitset_kernels {
namespace {

// Threads' ranges start on cache-line boundaries, so no two threads write into one line.
constexpr std::uint64_t line_words = 8;

const loop_table& loops_of(level l) {
  switch (l) {
    case level::avx512:
      return avx512_loops;
    case level::avx2:
      return avx2_loops;
    case level::popcnt:
      return popcnt_loops;
    case level::generic:
      break;
  }
  return generic_loops;
}

level& active() {
  static level current = best_level();
  return current;
}

std::uint64_t threshold = default_parallel_threshold;

// Runs the loop over words [0, words) on the calling thread, or split into one contiguous range
// per thread of the default team when the table is large enough to pay for the parallel region.
// Only the range that ends the table masks its last word.
counts_t run_split(loop_fn loop, const operands& x, std::uint64_t words, word_t last_mask) {
  counts_t totals{};
  if (words < threshold || omp_get_max_threads() == 1) {
    loop(x, 0, words, last_mask, totals.data());
    return totals;
  }
  // Each thread adds its sums atomically: a reduction clause over several counts would combine
  // them under libgomp's global lock, which costs more than the additions.
#pragma omp parallel
  {
    const std::uint64_t threads = omp_get_num_threads();
    const std::uint64_t chunk = ((words + threads - 1) / threads + line_words - 1) / line_words * line_words;
    const std::uint64_t begin = std::min(words, chunk * omp_get_thread_num());
    const std::uint64_t end = std::min(words, begin + chunk);
    counts_t sums{};
    if (begin < end) loop(x, begin, end, end == words ? last_mask : ~word_t{0}, sums.data());
    for (unsigned k = 0; k < max_counts; ++k) {
      if (sums[k] == 0) continue;
#pragma omp atomic
      totals[k] += sums[k];
    }
  }
  return totals;
}

}  // namespace

counts_t run(op o, const operands& x, std::uint64_t words, word_t last_mask, bool replace) {
  unsigned inverted = 0;
  for (unsigned k = 0; k < 3; ++k) inverted |= (x.mask[k] != 0) << k;
  const mode m = x.out == nullptr ? mode::count : replace ? mode::replace : mode::store;
  const loop_fn loop = loops_of(active()).loops[static_cast<unsigned>(o)][static_cast<unsigned>(m)][inverted];
  return run_split(loop, x, words, last_mask);
}

void fill_combinations(word_t* const* tables, unsigned inputs) {
  // The last (up to) six variables change within a word: each word holds one of these patterns.
  static constexpr word_t patterns[6] = {0xFFFFFFFF00000000, 0xFFFF0000FFFF0000, 0xFF00FF00FF00FF00,
                                         0xF0F0F0F0F0F0F0F0, 0xCCCCCCCCCCCCCCCC, 0xAAAAAAAAAAAAAAAA};
  const unsigned in_word = std::min(inputs, 6U);
  const unsigned word_vars = inputs - in_word;  // variables that change from word to word
  const std::uint64_t words = std::uint64_t{1} << word_vars;
  const word_t valid = inputs < 6 ? (word_t{1} << (std::uint64_t{1} << inputs)) - 1 : ~word_t{0};
#pragma omp parallel for schedule(dynamic, 1)
  for (unsigned i = 0; i < inputs; ++i) {
    word_t* table = tables[i];
    if (i < word_vars) {
      // Alternating blocks of all-zero and all-one words, starting with zeros.
      const std::uint64_t block = std::uint64_t{1} << (word_vars - i - 1);
      for (std::uint64_t start = 0; start < words; start += block) {
        std::fill(table + start, table + start + block, (start / block) % 2 == 0 ? 0 : ~word_t{0});
      }
    } else {
      std::fill(table, table + words, patterns[6 - (inputs - i)] & valid);
    }
  }
}

level best_level() {
  for (level l : {level::avx512, level::avx2, level::popcnt}) {
    if (supported(l)) return l;
  }
  return level::generic;
}

bool supported(level l) {
  __builtin_cpu_init();
  switch (l) {
    case level::avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vpopcntdq") &&
             __builtin_cpu_supports("popcnt");
    case level::avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    case level::popcnt:
      return __builtin_cpu_supports("popcnt");
    case level::generic:
      break;
  }
  return true;
}

level active_level() { return active(); }

std::uint64_t parallel_threshold() { return threshold; }

void use_parallel_threshold(std::uint64_t words) { threshold = words; }

void use_level(level l) {
  if (!supported(l)) throw std::invalid_argument("This processor cannot run the requested bit-count level.");
  active() = l;
}

}  // namespace bitset_kernels
