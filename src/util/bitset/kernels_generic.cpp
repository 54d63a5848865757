// Loops for any x86-64 processor: bits are counted with shifts and masks only.

#include "util/bitset/kernels.hpp"
#include "util/bitset/word_loop.hpp"

namespace bitset_kernels {
namespace {

// The pairwise reduction: bit pairs, nibbles, bytes, 16-bit and 32-bit lanes, then the two halves.
word_t count_bits(word_t x) {
  x = (x & 0x5555555555555555) + ((x >> 1) & 0x5555555555555555);
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x & 0x0F0F0F0F0F0F0F0F) + ((x >> 4) & 0x0F0F0F0F0F0F0F0F);
  x = (x & 0x00FF00FF00FF00FF) + ((x >> 8) & 0x00FF00FF00FF00FF);
  x = (x & 0x0000FFFF0000FFFF) + ((x >> 16) & 0x0000FFFF0000FFFF);
  return (x & 0xFFFFFFFF) + (x >> 32);
}

struct generic_words {
  using vec = word_t;
  static word_t count(word_t x) { return count_bits(x); }
  static word_t count_word(word_t x) { return count_bits(x); }
  static word_t sum(word_t x) { return x; }
};

}  // namespace

const loop_table generic_loops = make_loop_table<generic_words>();

}  // namespace bitset_kernels
