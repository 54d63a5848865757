// Loops for processors with AVX2: four words at a time, bits counted through a nibble lookup
// (VPSHUFB) and summed per word (VPSADBW).

#include <immintrin.h>

#include "util/bitset/kernels.hpp"

#pragma GCC target("avx2,popcnt")
#include "util/bitset/word_loop.hpp"  // after the pragma: the loops take this file's target

namespace bitset_kernels {
namespace {

struct avx2_words {
  using vec = word_t __attribute__((vector_size(32)));
  static vec count(vec x) {
    const __m256i nibble_bits = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4,  //
                                                 0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m256i low_nibbles = _mm256_set1_epi8(0x0F);
    const __m256i v = reinterpret_cast<__m256i>(x);
    const __m256i low = _mm256_shuffle_epi8(nibble_bits, _mm256_and_si256(v, low_nibbles));
    const __m256i high =
        _mm256_shuffle_epi8(nibble_bits, _mm256_and_si256(_mm256_srli_epi16(v, 4), low_nibbles));
    return reinterpret_cast<vec>(_mm256_sad_epu8(_mm256_add_epi8(low, high), _mm256_setzero_si256()));
  }
  static word_t count_word(word_t x) { return __builtin_popcountll(x); }
  static word_t sum(vec x) {
    const __m256i v = reinterpret_cast<__m256i>(x);
    const __m128i halves = _mm_add_epi64(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    return _mm_cvtsi128_si64(halves) + _mm_extract_epi64(halves, 1);
  }
};

}  // namespace

const loop_table avx2_loops = make_loop_table<avx2_words>();

}  // namespace bitset_kernels
