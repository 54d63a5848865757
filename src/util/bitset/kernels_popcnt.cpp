// Loops for processors with the POPCNT instruction: one word at a time.

#include "util/bitset/kernels.hpp"

#pragma GCC target("popcnt")
#include "util/bitset/word_loop.hpp"  // after the pragma: the loops take this file's target

namespace bitset_kernels {
namespace {

struct popcnt_words {
  using vec = word_t;
  static word_t count(word_t x) { return __builtin_popcountll(x); }
  static word_t count_word(word_t x) { return __builtin_popcountll(x); }
  static word_t sum(word_t x) { return x; }
};

}  // namespace

const loop_table popcnt_loops = make_loop_table<popcnt_words>();

}  // namespace bitset_kernels
