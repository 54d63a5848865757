#include "util/bitset/base.hpp"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "util/bitset/kernels.hpp"

using bitset_kernels::op;

namespace {

// Words are aligned to cache lines, which the vector loops read best.
constexpr std::align_val_t word_alignment{64};

bck_t* allocate_words(siz_t count) {
  return static_cast<bck_t*>(::operator new[](count * sizeof(bck_t), word_alignment));
}

void free_words(bck_t* words) { ::operator delete[](words, word_alignment); }

// The count of the words a pass of `o` stores, from its counts and the operands' counts `ones`: the
// XOR and majority passes count a & b (and the other pairs) instead, from which it follows:
// |a ^ b| = |a| + |b| - 2 |a & b| and |maj| = |ab| + |ac| + |bc| - 2 |abc|.
siz_t stored_popcount(op o, const siz_t* ones, const bitset_kernels::counts_t& c) {
  if (o == op::XOR_AND) return ones[0] + ones[1] - 2 * c[0];
  if (o == op::MAJ_PAIRS) return c[0] + c[1] + c[2] - 2 * c[3];
  return c[0];
}

}  // namespace

bitset::bitset(siz_t size, bool zeros, siz_t popcount)
    : impl_(new impl{size, popcount, allocate_words(count_buckets(size)), 1}) {
  if (zeros) std::fill_n(impl_->data_, count_buckets(size), 0);
}

bitset bitset::from_words(siz_t size, std::span<const bck_t> words) {
  bitset result(size, false);
  if (size == 0) return result;
  const bitset_kernels::operands x{{words.data()}, {}, result.impl_->data_};
  result.impl_->popcount_ = bitset_kernels::run(op::COPY, x, result.buckets(), result.last_mask())[0];
  return result;
}

void bitset::free() {
  if (impl_ != nullptr && impl_->ref_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    free_words(impl_->data_);
    delete impl_;
  }
  release();
}

void bitset::copy_from(const bitset& other) {
  if (&other == this) return;
  if (other.impl_ != nullptr) other.impl_->ref_.fetch_add(1, std::memory_order_relaxed);
  free();
  impl_ = other.impl_;
  inverted_ = other.inverted_;
}

void bitset::move_from(bitset& other) {
  if (&other == this) return;
  free();
  impl_ = other.impl_;
  inverted_ = other.inverted_;
  other.release();
}

bitset bitset::copy() const {
  if (impl_ == nullptr) return {};
  bitset result(size(), false, impl_->popcount_);
  std::copy_n(impl_->data_, buckets(), result.impl_->data_);
  result.copy_meta(*this);
  return result;
}

bitset& bitset::share(const bitset& other, bool* unchanged) {
  if (unchanged != nullptr) *unchanged = other == *this;
  copy_from(other);
  return *this;
}

bitset bitset::operator~() const {
  bitset result(*this);
  result.flip();
  return result;
}

bitset& bitset::NOT(const bitset& a, bitset& out) {
  out.copy_from(a);
  out.flip();
  return out;
}

std::array<siz_t, 4> bitset::pass(op o, std::initializer_list<const bitset*> operands, bitset* out,
                                  bool* unchanged) {
  // Everything is read from the operands before `out` changes: `out` may be one of them.
  const bitset& a = **operands.begin();
  const siz_t size = a.size();
  const bck_t last_mask = a.last_mask();
  bitset_kernels::operands x{};
  siz_t ones[3] = {};
  unsigned k = 0;
  for (const bitset* operand : operands) {
    x.in[k] = operand->impl_->data_;
    x.mask[k] = operand->inverted_;
    ones[k] = operand->popcount();
    ++k;
  }
  bitset result;
  bool replace = false;  // the pass overwrites out's own words and compares them
  bck_t old_mask = 0;
  if (out != nullptr) {
    if (out->impl_ != nullptr && out->sole_owner() && out->size() == size) {
      old_mask = out->inverted_;
      result.move_from(*out);
      result.inverted_ = 0;
      replace = unchanged != nullptr;
    } else {
      result = bitset(size, false);
    }
    x.out = result.impl_->data_;
  }
  const bitset_kernels::counts_t counts = bitset_kernels::run(o, x, count_buckets(size), last_mask, replace);
  if (out != nullptr) {
    result.impl_->popcount_ = stored_popcount(o, ones, counts);
    // The old value was the stored words seen through `old_mask`: it equals the new one exactly
    // when no stored bit changed (mask 0), or every one did (all ones).
    if (replace) *unchanged = counts[bitset_kernels::changed_count] == (old_mask == 0 ? 0 : size);
    if (unchanged != nullptr && !replace) *unchanged = result == *out;
    out->move_from(result);
  }
  return {counts[0], counts[1], counts[2], counts[3]};
}

bitset& bitset::AND(const bitset& a, const bitset& b, bitset& out, bool* unchanged) {
  if (a.all_zeros() || b.all_ones() || a.is(b)) return out.share(a, unchanged);
  if (b.all_zeros() || a.all_ones()) return out.share(b, unchanged);
  pass(op::AND, {&a, &b}, &out, unchanged);
  return out;
}

bitset& bitset::OR(const bitset& a, const bitset& b, bitset& out, bool* unchanged) {
  if (a.all_ones() || b.all_zeros() || a.is(b)) return out.share(a, unchanged);
  if (b.all_ones() || a.all_zeros()) return out.share(b, unchanged);
  pass(op::OR, {&a, &b}, &out, unchanged);
  return out;
}

bool bitset::XOR_shortcut(const bitset& a, const bitset& b, bitset& out, siz_t* and_popcount,
                          bool* unchanged) {
  // A constant operand leaves the other, complemented when the constant is all ones; a & b is then
  // 0 or the other's count. Both are taken before `out` changes: it may be one of the operands.
  const bitset* constant = a.all_zeros()   ? &a
                           : b.all_zeros() ? &b
                           : a.all_ones()  ? &a
                           : b.all_ones()  ? &b
                                           : nullptr;
  if (constant == nullptr) return false;
  const bitset& other = constant == &a ? b : a;
  const bool complement = constant->all_ones();
  if (and_popcount != nullptr) *and_popcount = complement ? other.popcount() : 0;
  if (complement) {
    out.share(~other, unchanged);
  } else {
    out.share(other, unchanged);
  }
  return true;
}

bitset& bitset::XOR(const bitset& a, const bitset& b, bitset& out) {
  if (!XOR_shortcut(a, b, out, nullptr, nullptr)) pass(op::XOR, {&a, &b}, &out);
  return out;
}

bitset& bitset::XOR(const bitset& a, const bitset& b, bitset& out, siz_t& and_popcount, bool* unchanged) {
  if (XOR_shortcut(a, b, out, &and_popcount, unchanged)) return out;
  and_popcount = pass(op::XOR_AND, {&a, &b}, &out, unchanged)[0];
  return out;
}

bool bitset::MAJ_shortcut(const bitset& a, const bitset& b, const bitset& c, bitset& out,
                          std::array<siz_t, 4>* and_popcounts, bool* unchanged) {
  const bitset* operands[3] = {&a, &b, &c};
  for (unsigned i = 0; i < 3; ++i) {
    const bitset& p = *operands[i];
    const bitset& q = *operands[(i + 1) % 3];
    const bitset& r = *operands[(i + 2) % 3];
    if (!p.all_zeros() && !p.all_ones() && !p.same_impl(q)) continue;
    // The counts are taken before `out` changes: it may be one of the operands.
    if (and_popcounts != nullptr) *and_popcounts = AND_pairs_popcount(a, b, c);
    // A constant operand reduces the majority to AND or OR of the other two; two equal operands
    // win the vote; two complementary ones leave it to the third.
    if (p.all_zeros()) {
      AND(q, r, out, unchanged);
    } else if (p.all_ones()) {
      OR(q, r, out, unchanged);
    } else {
      out.share(p.inverted_ == q.inverted_ ? p : r, unchanged);
    }
    return true;
  }
  return false;
}

bitset& bitset::MAJ(const bitset& a, const bitset& b, const bitset& c, bitset& out) {
  if (!MAJ_shortcut(a, b, c, out, nullptr, nullptr)) pass(op::MAJ, {&a, &b, &c}, &out);
  return out;
}

bitset& bitset::MAJ(const bitset& a, const bitset& b, const bitset& c, bitset& out,
                    std::array<siz_t, 4>& and_popcounts, bool* unchanged) {
  if (MAJ_shortcut(a, b, c, out, &and_popcounts, unchanged)) return out;
  and_popcounts = pass(op::MAJ_PAIRS, {&a, &b, &c}, &out, unchanged);
  return out;
}

bitset bitset::operator&(const bitset& other) const {
  bitset result;
  return AND(*this, other, result);
}

bitset bitset::operator|(const bitset& other) const {
  bitset result;
  return OR(*this, other, result);
}

bitset bitset::operator^(const bitset& other) const {
  bitset result;
  return XOR(*this, other, result);
}

siz_t bitset::AND_popcount(const bitset& a, const bitset& b) { return pass(op::AND, {&a, &b})[0]; }

siz_t bitset::OR_popcount(const bitset& a, const bitset& b) { return pass(op::OR, {&a, &b})[0]; }

siz_t bitset::XOR_popcount(const bitset& a, const bitset& b) { return pass(op::XOR, {&a, &b})[0]; }

siz_t bitset::AND3_popcount(const bitset& a, const bitset& b, const bitset& c) {
  return pass(op::AND3, {&a, &b, &c})[0];
}

siz_t bitset::MAJ_popcount(const bitset& a, const bitset& b, const bitset& c) {
  return pass(op::MAJ, {&a, &b, &c})[0];
}

std::array<siz_t, 4> bitset::AND_pairs_popcount(const bitset& a, const bitset& b, const bitset& c) {
  return pass(op::MAJ_PAIRS, {&a, &b, &c});
}

siz_t bitset::popcount_range(const bck_t* begin, const bck_t* end) {
  if (begin == end) return 0;
  return bitset_kernels::run(op::COPY, {{begin}, {}, nullptr}, end - begin, ~bck_t{0})[0];
}

void bitset::build_combinations(std::span<bitset> bsets, siz_t inputs) {
  if (inputs >= bits) throw std::length_error("Too many inputs for a table of all their combinations.");
  const siz_t size = siz_t{1} << inputs;
  std::vector<bck_t*> tables(inputs);
  for (siz_t i = 0; i < inputs; ++i) {
    // Each variable is 1 in exactly half of the patterns.
    bsets[i] = bitset(size, false, size / 2);
    tables[i] = bsets[i].impl_->data_;
  }
  bitset_kernels::fill_combinations(tables.data(), static_cast<unsigned>(inputs));
}

bool bitset::operator==(const bitset& other) const {
  if (impl_ == nullptr || other.impl_ == nullptr) return false;
  if (size() != other.size() || popcount() != other.popcount()) return false;
  if (is(other)) return true;
  if (popcount() == 0 || popcount() == size()) return true;
  if (same_impl(other)) return false;
  const siz_t last = buckets() - 1;
  if (inverted_ == other.inverted_) {
    if (std::memcmp(impl_->data_, other.impl_->data_, last * sizeof(bck_t)) != 0) return false;
  } else {
    for (siz_t i = 0; i < last; ++i) {
      if (bucket(i) != other.bucket(i)) return false;
    }
  }
  return ((bucket(last) ^ other.bucket(last)) & last_mask()) == 0;
}

bitset::operator std::string() const {
  if (impl_ == nullptr || buckets() == 0) return "0";
  static constexpr char digits[] = "0123456789abcdef";
  const siz_t last = buckets() - 1;
  const siz_t used = size() % bits;
  std::string text;
  text.reserve((size() + 3) / 4);
  for (siz_t i = 0; i <= last; ++i) {
    const bck_t word = i == last ? bucket(i) & last_mask() : bucket(i);
    const siz_t count = i == last && used != 0 ? (used + 3) / 4 : bits / 4;
    for (siz_t d = 0; d < count; ++d) text += digits[(word >> (4 * d)) & 0xF];
  }
  return text;
}
