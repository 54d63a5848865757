#pragma once

// The word loops, written once for every instruction-set level. Each level's source includes this
// header after its `#pragma GCC target`, so the templates below are compiled for that level's
// instructions; everything here has internal linkage, so the levels' copies never mix.

#include "util/bitset/kernels.hpp"

namespace bitset_kernels {
namespace {

// The word combinations, for single words and for GCC vectors of words alike. `result` is the
// word stored, `count` gives the words whose bits are counted.
template <typename W>
W majority(W a, W b, W c) {
  return (a & (b | c)) | (b & c);
}

// Operations that count the word they store.
template <typename Op>
struct counts_result {
  static constexpr unsigned counted = 1;
  template <typename W>
  static void count(const W* x, W* c) {
    c[0] = Op::result(x);
  }
};

struct copy_op : counts_result<copy_op> {
  static constexpr unsigned inputs = 1;
  template <typename W>
  static W result(const W* x) {
    return x[0];
  }
};

struct and_op : counts_result<and_op> {
  static constexpr unsigned inputs = 2;
  template <typename W>
  static W result(const W* x) {
    return x[0] & x[1];
  }
};

struct or_op : counts_result<or_op> {
  static constexpr unsigned inputs = 2;
  template <typename W>
  static W result(const W* x) {
    return x[0] | x[1];
  }
};

struct xor_op : counts_result<xor_op> {
  static constexpr unsigned inputs = 2;
  template <typename W>
  static W result(const W* x) {
    return x[0] ^ x[1];
  }
};

struct and3_op : counts_result<and3_op> {
  static constexpr unsigned inputs = 3;
  template <typename W>
  static W result(const W* x) {
    return x[0] & x[1] & x[2];
  }
};

struct maj_op : counts_result<maj_op> {
  static constexpr unsigned inputs = 3;
  template <typename W>
  static W result(const W* x) {
    return majority(x[0], x[1], x[2]);
  }
};

struct xor_and_op {
  static constexpr unsigned inputs = 2, counted = 1;
  template <typename W>
  static W result(const W* x) {
    return x[0] ^ x[1];
  }
  template <typename W>
  static void count(const W* x, W* c) {
    c[0] = x[0] & x[1];
  }
};

struct maj_pairs_op {
  static constexpr unsigned inputs = 3, counted = 4;
  template <typename W>
  static W result(const W* x) {
    return majority(x[0], x[1], x[2]);
  }
  template <typename W>
  static void count(const W* x, W* c) {
    c[0] = x[0] & x[1];
    c[1] = x[0] & x[2];
    c[2] = x[1] & x[2];
    c[3] = c[0] & x[2];
  }
};

template <typename V>
V load(const word_t* p) {
  V v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

template <typename V>
void store(word_t* p, V v) {
  __builtin_memcpy(p, &v, sizeof v);
}

// One step at word i: V is one word or a vector of words, `bits` counts V's bits lane by lane.
template <typename Op, bool Store, typename V, typename Count>
inline __attribute__((always_inline)) void step(const word_t* const* in, word_t* out, std::uint64_t i,
                                                const V* mask, V* acc, Count bits) {
  V w[Op::inputs];
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::inputs; ++k) w[k] = load<V>(in[k] + i) ^ mask[k];
  if constexpr (Store) store(out + i, Op::result(w));
  V c[Op::counted];
  Op::count(w, c);
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::counted; ++k) acc[k] += bits(c[k]);
}

// The loop over words [begin, end) for the level `Words`: `Words::vec` is the word vector it works
// on, `Words::count` counts a vector's bits per lane and `Words::count_word` a single word's. The
// operands of word end - 1 are ANDed with `end_mask` (every combination maps zeros to zero, so
// bits outside it come out cleared and uncounted).
template <typename Words, typename Op, bool Store>
void loop(const operands& x, std::uint64_t begin, std::uint64_t end, word_t end_mask, count_t* counts) {
  using vec = typename Words::vec;
  constexpr std::uint64_t lanes = sizeof(vec) / sizeof(word_t);
  // Local copies: the stores cannot alias them, so they stay in registers.
  const word_t* in[Op::inputs];
  word_t* const out = x.out;
  vec vmask[Op::inputs];
  word_t wmask[Op::inputs];
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::inputs; ++k) {
    in[k] = x.in[k];
    wmask[k] = x.mask[k];
    vmask[k] = vec{} ^ x.mask[k];
  }
  vec vacc[Op::counted] = {};
  word_t wacc[Op::counted] = {};
  std::uint64_t i = begin;
  const std::uint64_t body = end - 1;
  for (; i + lanes <= body; i += lanes) step<Op, Store>(in, out, i, vmask, vacc, Words::count);
  for (; i < body; ++i) step<Op, Store>(in, out, i, wmask, wacc, Words::count_word);
  word_t last[Op::inputs];
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::inputs; ++k) last[k] = (in[k][body] ^ wmask[k]) & end_mask;
  if constexpr (Store) out[body] = Op::result(last);
  word_t c[Op::counted];
  Op::count(last, c);
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::counted; ++k) {
    counts[k] += wacc[k] + Words::count_word(c[k]);
    if constexpr (lanes == 1) {
      counts[k] += vacc[k];
    } else {
      for (std::uint64_t lane = 0; lane < lanes; ++lane) counts[k] += vacc[k][lane];
    }
  }
}

// The level's table of loops, in the order of `op`.
template <typename Words>
constexpr loop_table make_loop_table() {
  return {{
      {loop<Words, copy_op, false>, loop<Words, copy_op, true>},
      {loop<Words, and_op, false>, loop<Words, and_op, true>},
      {loop<Words, or_op, false>, loop<Words, or_op, true>},
      {loop<Words, xor_op, false>, loop<Words, xor_op, true>},
      {loop<Words, and3_op, false>, loop<Words, and3_op, true>},
      {loop<Words, maj_op, false>, loop<Words, maj_op, true>},
      {loop<Words, xor_and_op, false>, loop<Words, xor_and_op, true>},
      {loop<Words, maj_pairs_op, false>, loop<Words, maj_pairs_op, true>},
  }};
}

}  // namespace
}  // namespace bitset_kernels
