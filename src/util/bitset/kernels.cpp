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

}  // namespace

namespace state {
// Until start-up has picked the best level, any caller gets the portable loops.
const loop_table* loops = &generic_loops;
std::uint64_t parallel_words = default_parallel_threshold;
}  // namespace state

namespace {

// Picks the best level when the program starts.
const bool best_level_chosen = [] {
  use_level(best_level());
  return true;
}();

}  // namespace

void run_split(loop_fn loop, const operands& x, std::uint64_t words, word_t last_mask, count_t* totals) {
  // Nested in another region, or with a team of one, the calling thread does it all.
  if (omp_get_max_threads() == 1 || omp_in_parallel()) {
    loop(x, 0, words, last_mask, totals);
    return;
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

level active_level() {
  for (level l : {level::avx512, level::avx2, level::popcnt})
    if (state::loops == &loops_of(l)) return l;
  return level::generic;
}

std::uint64_t parallel_threshold() { return state::parallel_words; }

void use_parallel_threshold(std::uint64_t words) { state::parallel_words = words; }

void use_level(level l) {
  if (!supported(l)) throw std::invalid_argument("This processor cannot run the requested bit-count level.");
  state::loops = &loops_of(l);
}

}  // namespace bitset_kernels
