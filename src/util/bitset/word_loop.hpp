#pragma once

// The word loops, written once for every instruction-set level. Each level's source includes this
// header after its `#pragma GCC target`, so the templates below are compiled for that level's
// instructions; everything here has internal linkage, so the levels' copies never mix.

#include <array>
#include <utility>

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

// Operand k's word(s) at p: complemented when bit k of `Inverted` is set. The choice is made at
// compile time, so the complement folds into the combination (ANDN, ternary logic) for free.
template <unsigned Inverted, typename V>
inline __attribute__((always_inline)) V read(const word_t* p, unsigned k) {
  const V v = load<V>(p);
  return (Inverted >> k) & 1 ? ~v : v;
}

// The count entries a loop of `Op` fills in mode `M`.
template <typename Op, mode M>
inline constexpr unsigned slots = M == mode::replace ? changed_count + 1 : Op::counted;

// One step at word i: V is one word or a vector of words, `bits` counts V's bits lane by lane. With
// a `valid` mask, the operands (and the word replaced) are ANDed with it first.
template <typename Op, mode M, unsigned Inverted, typename V, typename Count>
inline __attribute__((always_inline)) void step(const word_t* const* in, word_t* out, std::uint64_t i, V* acc,
                                                Count bits, const V* valid = nullptr) {
  V w[Op::inputs];
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::inputs; ++k) {
    w[k] = read<Inverted, V>(in[k] + i, k);
    if (valid != nullptr) w[k] &= *valid;
  }
  if constexpr (M != mode::count) {
    const V result = Op::result(w);
    if constexpr (M == mode::replace) {
      const V old = valid != nullptr ? load<V>(out + i) & *valid : load<V>(out + i);
      acc[changed_count] += bits(result ^ old);
    }
    store(out + i, result);
  }
  V c[Op::counted];
  Op::count(w, c);
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::counted; ++k) acc[k] += bits(c[k]);
}

// The loop over words [begin, end) for the level `Words`, with the operands of bits set in
// `Inverted` complemented: `Words::vec` is the word vector it works on, `Words::count` counts a
// vector's bits per lane, `Words::count_word` a single word's and `Words::sum` adds a vector's
// lanes. The operands of word end - 1 are
// ANDed with `end_mask` (every combination maps zeros to zero, so bits outside it come out
// cleared and uncounted), and so is the word it replaces. A range of whole vectors (every table of
// 2^k words, k large enough) ends with a vector whose last lane is masked; any other range ends
// with single words.
template <typename Words, typename Op, mode M, unsigned Inverted>
void loop(const operands& x, std::uint64_t begin, std::uint64_t end, word_t end_mask, count_t* counts) {
  using vec = typename Words::vec;
  constexpr std::uint64_t lanes = sizeof(vec) / sizeof(word_t);
  constexpr unsigned filled = slots<Op, M>;
  // Local copies: the stores cannot alias them, so they stay in registers.
  const word_t* in[Op::inputs];
  word_t* const out = x.out;
#pragma GCC unroll 4
  for (unsigned k = 0; k < Op::inputs; ++k) in[k] = x.in[k];
  vec vacc[filled] = {};
  word_t wacc[filled] = {};
  std::uint64_t i = begin;
  for (; i + lanes < end; i += lanes) step<Op, M, Inverted>(in, out, i, vacc, Words::count);
  if (i + lanes == end) {
    vec valid = ~vec{};
    if constexpr (lanes == 1) {
      valid = end_mask;
    } else {
      valid[lanes - 1] = end_mask;
    }
    step<Op, M, Inverted>(in, out, i, vacc, Words::count, &valid);
  } else {
    for (; i + 1 < end; ++i) step<Op, M, Inverted>(in, out, i, wacc, Words::count_word);
    step<Op, M, Inverted>(in, out, i, wacc, Words::count_word, &end_mask);
  }
#pragma GCC unroll 4
  for (unsigned k = 0; k < filled; ++k) counts[k] += wacc[k] + Words::sum(vacc[k]);
}

// The loops of one operation, by inverted operands (bits past its inputs are ignored).
template <typename Words, typename Op, mode M, unsigned... Inverted>
constexpr std::array<loop_fn, max_inverted> by_inversion(std::integer_sequence<unsigned, Inverted...>) {
  return {loop<Words, Op, M, Inverted&((1U << Op::inputs) - 1)>...};
}

template <typename Words, typename Op>
constexpr std::array<std::array<loop_fn, max_inverted>, mode_count> loops_of_op() {
  constexpr auto inversions = std::make_integer_sequence<unsigned, max_inverted>();
  return {by_inversion<Words, Op, mode::count>(inversions), by_inversion<Words, Op, mode::store>(inversions),
          by_inversion<Words, Op, mode::replace>(inversions)};
}

// The level's table of loops, in the order of `op`.
template <typename Words>
constexpr loop_table make_loop_table() {
  return {{
      loops_of_op<Words, copy_op>(),
      loops_of_op<Words, and_op>(),
      loops_of_op<Words, or_op>(),
      loops_of_op<Words, xor_op>(),
      loops_of_op<Words, and3_op>(),
      loops_of_op<Words, maj_op>(),
      loops_of_op<Words, xor_and_op>(),
      loops_of_op<Words, maj_pairs_op>(),
  }};
}

}  // namespace
}  // namespace bitset_kernels
