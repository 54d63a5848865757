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
  static word_t sum(vec x) {
    using half = word_t __attribute__((vector_size(32)));
    half low, high;
    __builtin_memcpy(&low, &x, sizeof low);
    __builtin_memcpy(&high, reinterpret_cast<const char*>(&x) + sizeof low, sizeof high);
    const half quarters = low + high;
    return (quarters[0] + quarters[2]) + (quarters[1] + quarters[3]);
  }
};

}  // namespace

const loop_table avx512_loops = make_loop_table<avx512_words>();

}  // namespace bitset_kernels
