// Loops for processors with AVX-512 and VPOPCNTQ: eight words at a time.

#include <immintrin.h>

#include "util/bitset/kernels.hpp"

#pragma GCC target("avx512f,avx512vpopcntdq,popcnt")
#include "util/bitset/word_loop.hpp"  // after the pragma: the loops take this file's target

namespace bitset_kernels {
namespace {

struct avx512_words {
  using vec = word_t __attribute__((vector_size(64)));
  static vec count(vec x) { return reinterpret_cast<vec>(_mm512_popcnt_epi64(reinterpret_cast<__m512i>(x))); }
  static word_t count_word(word_t x) { return __builtin_popcountll(x); }
  // Halves by shuffles, not by copying bytes: a copy of an accumulator's bytes would keep it in
  // memory for the whole loop.
  static word_t sum(vec x) {
    using half = word_t __attribute__((vector_size(32)));
    const half quarters =
        __builtin_shufflevector(x, x, 0, 1, 2, 3) + __builtin_shufflevector(x, x, 4, 5, 6, 7);
    return (quarters[0] + quarters[2]) + (quarters[1] + quarters[3]);
  }
};

}  // namespace

const loop_table avx512_loops = make_loop_table<avx512_words>();

}  // namespace bitset_kernels
