#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>
#include <span>
#include <vector>

#include "util/bitset/base.hpp"
#include "util/bitset/kernels.hpp"

// Word buffers come from the aligned array form of operator new; counting its calls tells whether
// an operation allocated.
namespace {
std::size_t word_allocations = 0;
}

void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  ++word_allocations;
  const std::size_t align = static_cast<std::size_t>(alignment);
  if (void* p = std::aligned_alloc(align, (bytes / align + 1) * align)) return p;
  throw std::bad_alloc();
}
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }

namespace {

using bitset_kernels::level;
using bits = std::vector<bool>;

// The value a handle shows, bit by bit.
bits bits_of(const bitset& t) {
  bits value(t.size());
  for (siz_t j = 0; j < t.size(); ++j) value[j] = (t.bucket(j / 64) >> (j % 64)) & 1;
  return value;
}

// The words a handle shows, each exclusive-or `flip`.
std::vector<bck_t> words_of(const bitset& t, bck_t flip = 0) {
  std::vector<bck_t> words(t.buckets());
  for (siz_t i = 0; i < words.size(); ++i) words[i] = t.bucket(i) ^ flip;
  return words;
}

siz_t ones(const bits& value) { return std::count(value.begin(), value.end(), true); }

// A random table, complemented half of the time; its stored words have random bits past the size
// before `from_words` drops them.
bitset random_table(siz_t size, std::mt19937_64& random) {
  std::vector<bck_t> words(bitset::count_buckets(size));
  for (bck_t& word : words) word = random();
  bitset t = bitset::from_words(size, words);
  if (random() % 2) t.flip();
  return t;
}

bits combine(const std::vector<bits>& in, const std::function<bool(bool, bool, bool)>& f) {
  bits out(in[0].size());
  for (siz_t j = 0; j < out.size(); ++j) out[j] = f(in[0][j], in[1][j], in.size() > 2 && in[2][j]);
  return out;
}

const std::function<bool(bool, bool, bool)> and_f = [](bool a, bool b, bool) { return a && b; };
const std::function<bool(bool, bool, bool)> or_f = [](bool a, bool b, bool) { return a || b; };
const std::function<bool(bool, bool, bool)> xor_f = [](bool a, bool b, bool) { return a != b; };
const std::function<bool(bool, bool, bool)> and3_f = [](bool a, bool b, bool c) { return a && b && c; };
const std::function<bool(bool, bool, bool)> maj_f = [](bool a, bool b, bool c) { return (a + b + c) >= 2; };

// Runs the body once per instruction-set level the processor has, on the calling thread and split
// among the team, then restores the defaults.
void for_each_path(const std::function<void()>& body) {
  for (level l : {level::generic, level::popcnt, level::avx2, level::avx512}) {
    if (!bitset_kernels::supported(l)) continue;
    bitset_kernels::use_level(l);
    for (std::uint64_t threshold : {bitset_kernels::default_parallel_threshold, std::uint64_t{1}}) {
      bitset_kernels::use_parallel_threshold(threshold);
      SCOPED_TRACE(::testing::Message()
                   << "level " << static_cast<unsigned>(l) << ", threshold " << threshold);
      body();
    }
  }
  bitset_kernels::use_level(bitset_kernels::best_level());
  bitset_kernels::use_parallel_threshold(bitset_kernels::default_parallel_threshold);
}

// Sizes around word and vector boundaries; split between two threads, 9 words (573 bits) leave the second
// thread only the last word.
const siz_t sizes[] = {1, 5, 63, 64, 65, 100, 512, 573, 1000, 4099};

// Every operation and count of the three tables against the bit-by-bit result.
void check_operations(const bitset& a, const bitset& b, const bitset& c) {
  const siz_t size = a.size();
  const std::vector<bits> in{bits_of(a), bits_of(b), bits_of(c)};
  const bits x_and = combine(in, and_f), x_or = combine(in, or_f), x_xor = combine(in, xor_f);
  const bits x_maj = combine(in, maj_f);
  bitset maj;
  bitset::MAJ(a, b, c, maj);
  for (const auto& [result, expected] :
       std::vector<std::pair<bitset, bits>>{{a & b, x_and}, {a | b, x_or}, {a ^ b, x_xor}, {maj, x_maj}}) {
    EXPECT_EQ(bits_of(result), expected);
    EXPECT_EQ(result.popcount(), ones(expected));
    // The stored words past the size are 0, so the complement never counts them either.
    EXPECT_EQ((~result).popcount(), size - ones(expected));
    EXPECT_EQ(bitset::AND_popcount(~result, ~result), size - ones(expected));
  }
  EXPECT_EQ(bitset::AND_popcount(a, b), ones(x_and));
  EXPECT_EQ(bitset::OR_popcount(a, b), ones(x_or));
  EXPECT_EQ(bitset::XOR_popcount(a, b), ones(x_xor));
  EXPECT_EQ(bitset::AND3_popcount(a, b, c), ones(combine(in, and3_f)));
  EXPECT_EQ(bitset::MAJ_popcount(a, b, c), ones(x_maj));
  bitset out;
  siz_t both;
  bitset::XOR(a, b, out, both);
  EXPECT_EQ(both, ones(x_and));
  std::array<siz_t, 4> pairs;
  bitset::MAJ(a, b, c, out, pairs);
  const std::array<siz_t, 4> expected_pairs{ones(x_and), ones(combine({in[0], in[2]}, and_f)),
                                            ones(combine({in[1], in[2]}, and_f)), ones(combine(in, and3_f))};
  EXPECT_EQ(pairs, expected_pairs);
  EXPECT_EQ(bitset::AND_pairs_popcount(a, b, c), expected_pairs);
  EXPECT_EQ(out.popcount(), ones(x_maj));
}

TEST(Bitset, OperationsMatchBitByBitOnEveryPath) {
  for_each_path([] {
    std::mt19937_64 random(7);
    for (siz_t size : sizes) {
      for (unsigned inverted = 0; inverted < 8; ++inverted) {
        SCOPED_TRACE(::testing::Message() << "size " << size << ", inverted operands " << inverted);
        bitset a = random_table(size, random), b = random_table(size, random), c = random_table(size, random);
        // Every combination of complemented operands has a loop of its own.
        for (auto [k, t] : {std::pair{0, &a}, {1, &b}, {2, &c}}) {
          if (t->inverted() != (((inverted >> k) & 1) != 0)) t->flip();
        }
        check_operations(a, b, c);
      }
    }
  });
}

TEST(Bitset, ShortcutsShareAnOperandAndAllocateNothing) {
  std::mt19937_64 random(3);
  const siz_t size = 1000;
  const bitset t = random_table(size, random), u = random_table(size, random);
  const bitset zeros(size), all_ones = ~zeros;
  const std::size_t before = word_allocations;
  bitset out;
  EXPECT_TRUE(bitset::AND(t, zeros, out).is(zeros));
  EXPECT_TRUE(bitset::AND(t, all_ones, out).is(t));
  EXPECT_TRUE(bitset::AND(t, t, out).is(t));
  EXPECT_TRUE(bitset::OR(all_ones, t, out).is(all_ones));
  EXPECT_TRUE(bitset::OR(zeros, t, out).is(t));
  EXPECT_TRUE(bitset::XOR(zeros, t, out).is(t));
  EXPECT_TRUE(bitset::XOR(t, all_ones, out).is(~t));
  EXPECT_EQ(bitset::XOR(zeros, all_ones, out).popcount(), size);
  EXPECT_EQ(bitset::XOR(all_ones, zeros, out).popcount(), size);
  EXPECT_EQ(bitset::XOR(all_ones, all_ones, out).popcount(), 0U);
  // The majority: equal operands win, complementary ones leave it to the third, constants reduce.
  EXPECT_TRUE(bitset::MAJ(t, u, t, out).is(t));
  EXPECT_TRUE(bitset::MAJ(t, u, ~t, out).is(u));
  EXPECT_TRUE(bitset::MAJ(u, zeros, all_ones, out).is(u));
  EXPECT_TRUE(bitset::MAJ(zeros, t, zeros, out).is(zeros));
  EXPECT_TRUE(bitset::MAJ(t, all_ones, zeros, out).is(t));
  EXPECT_EQ(word_allocations, before);
  EXPECT_EQ(bits_of(bitset::MAJ(all_ones, t, u, out)), combine({bits_of(t), bits_of(u)}, or_f));
  // XOR has no same-operand shortcut: a new all-zero table.
  bitset::XOR(t, t, out);
  EXPECT_FALSE(out.same_impl(t));
  EXPECT_EQ(out.popcount(), 0U);
}

TEST(Bitset, ResultReusesOnlyARecordItSolelyOwns) {
  std::mt19937_64 random(5);
  const siz_t size = 65;
  const bitset a = random_table(size, random), b = random_table(size, random);
  const bits expected = combine({bits_of(a), bits_of(b)}, and_f);
  bitset out(size, false);
  const bck_t* own = out.words();
  bitset::AND(a, b, out);
  EXPECT_EQ(out.words(), own);
  EXPECT_EQ(bits_of(out), expected);
  EXPECT_FALSE(out.inverted());
  // A record shared with another handle is never written: the result gets a new one.
  out.flip();
  const bitset keep = out, kept = out.copy();
  bitset::AND(a, b, out);
  EXPECT_FALSE(out.same_impl(keep));
  EXPECT_TRUE(keep == kept);
  EXPECT_EQ(bits_of(out), expected);
  // The result may be an operand: in place when it solely owns its record, else a new record.
  bitset x = a.copy(), y = x;
  bitset::OR(x, b, x);
  EXPECT_EQ(bits_of(x), combine({bits_of(a), bits_of(b)}, or_f));
  EXPECT_EQ(bits_of(y), bits_of(a));
  bitset::XOR(x, b, x);
  EXPECT_EQ(bits_of(x), combine({combine({bits_of(a), bits_of(b)}, or_f), bits_of(b)}, xor_f));
  // In place with a complemented operand: the bits past the size stay clear and uncounted.
  const bits old_x = bits_of(x);
  bitset::OR(x, ~b, x);
  EXPECT_EQ(bits_of(x), combine({old_x, bits_of(~b)}, or_f));
  EXPECT_EQ(x.popcount(), ones(bits_of(x)));
  EXPECT_EQ(x.data(1) >> 1, 0U);
}

TEST(Bitset, OverwriteWritesOnlyARecordItSolelyOwns) {
  std::mt19937_64 random(8);
  bitset table = random_table(130, random);
  table.flip();
  const bck_t* own = table.words();
  std::span<bck_t> words = table.overwrite(130);
  EXPECT_EQ(words.data(), own);
  ASSERT_EQ(words.size(), 3u);
  words[0] = ~bck_t{0};
  words[1] = 1;
  words[2] = 2;
  table.recount();
  EXPECT_FALSE(table.inverted());
  EXPECT_EQ(table.popcount(), 66u);
  // A record another handle shares, or of another size, is left alone: a new one takes the words.
  const bitset keep = table, kept = table.copy();
  words = table.overwrite(130);
  EXPECT_NE(words.data(), own);
  std::fill(words.begin(), words.end(), 0);
  table.recount();
  EXPECT_TRUE(keep == kept);
  EXPECT_EQ(table.popcount(), 0u);
  EXPECT_EQ(table.overwrite(64).size(), 1u);
  EXPECT_EQ(table.size(), 64u);
}

// out = op(a, b, c) through the operation's form that reports whether out's value changed.
using watched_op = std::function<void(const bitset&, const bitset&, const bitset&, bitset&, bool*)>;
const std::vector<std::pair<watched_op, std::function<bool(bool, bool, bool)>>> watched_ops = {
    {[](const bitset& a, const bitset& b, const bitset&, bitset& out, bool* u) { bitset::AND(a, b, out, u); },
     and_f},
    {[](const bitset& a, const bitset& b, const bitset&, bitset& out, bool* u) { bitset::OR(a, b, out, u); },
     or_f},
    {[](const bitset& a, const bitset& b, const bitset&, bitset& out, bool* u) {
       siz_t both;
       bitset::XOR(a, b, out, both, u);
     },
     xor_f},
    {[](const bitset& a, const bitset& b, const bitset& c, bitset& out, bool* u) {
       std::array<siz_t, 4> pairs;
       bitset::MAJ(a, b, c, out, pairs, u);
     },
     maj_f},
};

TEST(Bitset, ReplacingATableTellsWhetherItsValueChanged) {
  for_each_path([] {
    std::mt19937_64 random(13);
    for (siz_t size : sizes) {
      for (const auto& [operation, f] : watched_ops) {
        SCOPED_TRACE(::testing::Message() << "size " << size);
        const bitset a = random_table(size, random), b = random_table(size, random),
                     c = random_table(size, random);
        if (a.popcount() % size == 0 || b.popcount() % size == 0 || c.popcount() % size == 0)
          continue;  // shortcuts
        const bits expected = combine({bits_of(a), bits_of(b), bits_of(c)}, f);
        bool unchanged = true;
        bitset out;
        operation(a, b, c, out, &unchanged);  // an empty table held no value
        EXPECT_FALSE(unchanged);
        EXPECT_EQ(bits_of(out), expected);
        // Overwritten in place, compared in the same pass: equal again; then differing in one bit.
        const auto in_place = [&] {
          const bck_t* own = out.words();
          operation(a, b, c, out, &unchanged);
          EXPECT_EQ(out.words(), own);
          return unchanged;
        };
        EXPECT_TRUE(in_place());
        std::vector<bck_t> words = words_of(out);
        words.back() ^= bck_t{1} << ((size - 1) % 64);
        out = bitset::from_words(size, words);
        EXPECT_FALSE(in_place());
        // The old value stored complemented: equal, and then not.
        out = bitset::from_words(size, words_of(out, ~bck_t{0}));
        out.flip();
        EXPECT_TRUE(in_place());
        out = bitset::from_words(size, words);
        out.flip();
        EXPECT_FALSE(in_place());
        // A shared old table is compared, not overwritten.
        const bitset kept = out;
        operation(a, b, c, out, &unchanged);
        EXPECT_TRUE(unchanged);
        EXPECT_FALSE(out.same_impl(kept));
        EXPECT_EQ(bits_of(out), expected);
        EXPECT_EQ(out.popcount(), ones(expected));
      }
    }
  });
  // Shortcuts compare the operand they share.
  const bitset zeros(100), t = bitset::from_words(100, std::vector<bck_t>{5, 6});
  bitset out = zeros.copy();
  bool unchanged = false;
  bitset::AND(t, zeros, out, &unchanged);
  EXPECT_TRUE(unchanged);
  bitset::OR(t, zeros, out, &unchanged);
  EXPECT_FALSE(unchanged);
  siz_t both;
  bitset::XOR(t, ~zeros, out, both, &unchanged);
  EXPECT_FALSE(unchanged);
  EXPECT_TRUE(out.is(~t));
}

TEST(Bitset, CopiesShareAndMovesTakeOver) {
  bitset a(100);
  bitset b(a);
  EXPECT_TRUE(b.is(a));
  bitset c = ~a;
  EXPECT_TRUE(c.same_impl(a));
  EXPECT_FALSE(c.is(a));
  EXPECT_EQ(c.popcount(), 100U);
  bitset d;
  d.move_from(c);
  EXPECT_EQ(c.size(), 0U);
  EXPECT_TRUE(d.same_impl(a) && d.inverted());
  d.copy_from(d);
  EXPECT_TRUE(d.same_impl(a));
  bitset e = d.copy();
  EXPECT_FALSE(e.same_impl(d));
  EXPECT_TRUE(e == d && e.inverted());
  bitset f;
  bitset::NOT(~~a, f);
  EXPECT_TRUE(f.is(d));
  b.free();
  EXPECT_EQ(b.size(), 0U);
  EXPECT_EQ(a.size(), 100U);
}

TEST(Bitset, ReleasedRecordsComeBackAsNewTables) {
  // A released record is handed out again for a table of its size: it must come back with the
  // new table's count and contents and a single owner, tied to none of the handles that shared it.
  std::mt19937_64 random(5);
  const siz_t size = 1000;
  const bitset a = random_table(size, random), b = random_table(size, random);
  bitset old = random_table(size, random);
  bitset shared = old;
  const bck_t* words = old.words();
  old.free();
  bitset fresh(size);
  EXPECT_NE(fresh.words(), words);  // still held by `shared`
  shared.free();
  bitset zeros(size);
  ASSERT_EQ(zeros.words(), words);
  EXPECT_EQ(zeros.popcount(), 0U);
  EXPECT_EQ(ones(bits_of(zeros)), 0U);
  bitset::AND(a, b, zeros);  // its sole owner: overwritten in place
  EXPECT_EQ(zeros.words(), words);
  EXPECT_EQ(bits_of(zeros), combine({bits_of(a), bits_of(b)}, and_f));
  EXPECT_EQ(zeros.popcount(), ones(bits_of(zeros)));
  const bitset kept = zeros;  // shared again: the next result goes elsewhere
  bitset::AND(a, ~b, zeros);
  EXPECT_NE(zeros.words(), words);
  EXPECT_EQ(bits_of(kept), combine({bits_of(a), bits_of(b)}, and_f));
}

TEST(Bitset, EqualityComparesValues) {
  std::mt19937_64 random(11);
  for (siz_t size : {siz_t{1}, siz_t{64}, siz_t{100}, siz_t{1000}}) {
    const bitset t = random_table(size, random);
    // Another record with the same value seen through the opposite mask.
    const bitset same_value = t.inverted() ? bitset::from_words(size, words_of(t))
                                           : ~bitset::from_words(size, words_of(t, ~bck_t{0}));
    ASSERT_NE(same_value.inverted(), t.inverted());
    EXPECT_TRUE(t == same_value);
    EXPECT_TRUE(t == t.copy());
    EXPECT_FALSE(t == ~t);
    EXPECT_TRUE(bitset(size) == bitset(size));
    EXPECT_FALSE(bitset(size) == bitset(size + 1));
    EXPECT_FALSE(t == bitset());
    // The first and the last valid bit swapped: same popcount, a different value unless they match.
    const bits value = bits_of(t);
    std::vector<bck_t> words = words_of(t);
    words.front() ^= (value.front() != value.back());
    words.back() ^= bck_t{value.front() != value.back()} << ((size - 1) % 64);
    EXPECT_EQ(t == bitset::from_words(size, words), value.front() == value.back());
    EXPECT_EQ(same_value == bitset::from_words(size, words), value.front() == value.back());
  }
}

TEST(Bitset, ConvertsToHexadecimalLowestBitsFirst) {
  EXPECT_EQ(std::string(bitset()), "0");
  EXPECT_EQ(std::string(bitset(64)), std::string(16, '0'));
  EXPECT_EQ(std::string(bitset::from_words(8, std::vector<bck_t>{0xA5})), "5a");
  EXPECT_EQ(std::string(~bitset::from_words(5, std::vector<bck_t>{0x3})), "c1");
  EXPECT_EQ(std::string(bitset::from_words(68, std::vector<bck_t>{0x123456789ABCDEF0, 0xF7})),
            "0fedcba9876543217");
}

TEST(Bitset, CombinationsFollowTheirDefinition) {
  for (siz_t n = 0; n <= 8; ++n) {
    std::vector<bitset> tables(n, ~bitset(1));
    bitset::build_combinations(tables, n);
    for (siz_t i = 0; i < n; ++i) {
      ASSERT_EQ(tables[i].size(), siz_t{1} << n);
      EXPECT_FALSE(tables[i].inverted());
      EXPECT_EQ(tables[i].popcount(), tables[i].size() / 2);
      bits expected(tables[i].size());
      for (siz_t j = 0; j < expected.size(); ++j) expected[j] = (j >> (n - 1 - i)) & 1;
      EXPECT_EQ(bits_of(tables[i]), expected) << "n = " << n << ", variable " << i;
      EXPECT_EQ(tables[i].data(tables[i].buckets() - 1) & ~tables[i].last_mask(), 0U);
    }
  }
  std::vector<bitset> tables(2);
  bitset::build_combinations(tables, 2);
  EXPECT_EQ(tables[0].data(0), 0xCU);
  EXPECT_EQ(tables[1].data(0), 0xAU);
  EXPECT_THROW(bitset::build_combinations(tables, 64), std::length_error);
}

TEST(Bitset, PopcountRangeCountsRawWords) {
  const std::vector<bck_t> words{~bck_t{0}, 0x1, 0x8000000000000000, 0xFF};
  EXPECT_EQ(bitset::popcount_range(words.data(), words.data() + words.size()), 74U);
  EXPECT_EQ(bitset::popcount_range(words.data(), words.data()), 0U);
}

}  // namespace
