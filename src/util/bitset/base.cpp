#include "util/bitset/base.hpp"

#include <omp.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "util/bitset/kernels.hpp"

using bitset_kernels::op;

namespace {

// A record and its words live in one block: the record fills the first cache line and the words
// follow, aligned to cache lines (which the vector loops read best). Reading a record's count
// thus brings in the line next to its words.
constexpr std::align_val_t block_alignment{64};
constexpr siz_t record_bytes = 64;
static_assert(sizeof(bitset::impl) <= record_bytes);

void release_block(bitset::impl* record) {
  record->~impl();
  ::operator delete[](static_cast<void*>(record), block_alignment);
}

// Released records that the thread which released them hands out again: a simulation keeps
// trading a table's own record for a shared copy of an operand (a shortcut) and back, always at
// one size, and the allocator's bookkeeping for such blocks costs more than a small pass. The
// records kept are of the size released last, up to `max_bytes` in all.
class record_cache {
 public:
  record_cache() = default;
  record_cache(const record_cache&) = delete;
  record_cache& operator=(const record_cache&) = delete;
  ~record_cache() {
    clear();
    closed_ = true;
  }
  // Whether this thread's cache is gone (its last records are being released at thread exit).
  static bool closed() { return closed_; }

  // A kept record of `size` bits, or null.
  bitset::impl* take(siz_t size) {
    if (size != size_ || records_.empty()) return nullptr;
    bitset::impl* record = records_.back();
    records_.pop_back();
    return record;
  }
  // Keeps a released record when there is room; false when the caller must release it.
  bool keep(bitset::impl* record) {
    const siz_t bytes = bytes_of(record->size_);
    if (record->size_ != size_) {
      clear();
      size_ = record->size_;
    }
    if ((records_.size() + 1) * bytes > max_bytes) return false;
    records_.push_back(record);
    return true;
  }

 private:
  static constexpr siz_t max_bytes = siz_t{8} << 20;
  static siz_t bytes_of(siz_t size) { return record_bytes + bitset::count_buckets(size) * sizeof(bck_t); }
  void clear() {
    for (bitset::impl* record : records_) release_block(record);
    records_.clear();
  }

  static thread_local bool closed_;
  siz_t size_ = 0;
  std::vector<bitset::impl*> records_;
};

thread_local bool record_cache::closed_ = false;

thread_local record_cache released_records;

bitset::impl* allocate_record(siz_t size, siz_t popcount) {
  if (bitset::impl* record = record_cache::closed() ? nullptr : released_records.take(size)) {
    record->popcount_ = popcount;
    record->ref_.store(1, std::memory_order_relaxed);
    return record;
  }
  void* block = ::operator new[](record_bytes + bitset::count_buckets(size) * sizeof(bck_t), block_alignment);
  bck_t* words = reinterpret_cast<bck_t*>(static_cast<char*>(block) + record_bytes);
  return new (block) bitset::impl{size, popcount, words, 1};
}

void free_record(bitset::impl* record) {
  if (record_cache::closed() || !released_records.keep(record)) release_block(record);
}

// For AND and OR of two complemented operands: turns the pass into the other operation on the
// operands as stored (masks and counts `ones` updated) and returns the mask through which its
// result shows the wanted one (all ones); otherwise leaves them and returns 0.
bck_t complement_both(op& o, bitset_kernels::operands& x, siz_t* ones, siz_t size) {
  if ((o != op::AND && o != op::OR) || x.mask[0] == 0 || x.mask[1] == 0) return 0;
  o = o == op::AND ? op::OR : op::AND;
  x.mask[0] = x.mask[1] = 0;
  ones[0] = size - ones[0];
  ones[1] = size - ones[1];
  return ~bck_t{0};
}

// The count of the words a pass of `o` stores, from its counts and the operands' counts `ones`: the
// XOR and majority passes count a & b (and the other pairs) instead, from which it follows:
// |a ^ b| = |a| + |b| - 2 |a & b| and |maj| = |ab| + |ac| + |bc| - 2 |abc|.
siz_t stored_popcount(op o, const siz_t* ones, const std::uint64_t* c) {
  if (o == op::XOR_AND) return ones[0] + ones[1] - 2 * c[0];
  if (o == op::MAJ_PAIRS) return c[0] + c[1] + c[2] - 2 * c[3];
  return c[0];
}

}  // namespace

bitset::bitset(siz_t size, bool zeros, siz_t popcount) : impl_(allocate_record(size, popcount)) {
  if (zeros) std::fill_n(impl_->data_, count_buckets(size), 0);
}

bitset bitset::from_words(siz_t size, std::span<const bck_t> words) {
  bitset result(size, false);
  if (size == 0) return result;
  const bitset_kernels::operands x{{words.data()}, {}, result.impl_->data_};
  bitset_kernels::counts_t counts{};
  bitset_kernels::run(op::COPY, x, result.buckets(), result.last_mask(), false, counts.data());
  result.impl_->popcount_ = counts[0];
  return result;
}

std::span<bck_t> bitset::overwrite(siz_t size) {
  if (impl_ == nullptr || impl_->size_ != size || !sole_owner()) *this = bitset(size, false);
  inverted_ = 0;
  return {impl_->data_, buckets()};
}

void bitset::drop_record() {
  if (impl_->ref_.fetch_sub(1, std::memory_order_acq_rel) == 1) free_record(impl_);
}

void bitset::copy_from(const bitset& other) {
  if (other.impl_ != impl_) {
    if (other.impl_ != nullptr) other.impl_->ref_.fetch_add(1, std::memory_order_relaxed);
    free();
    impl_ = other.impl_;
  }
  inverted_ = other.inverted_;  // sharing its record already: no count changes
}

bitset bitset::copy() const {
  if (impl_ == nullptr) return {};
  bitset result(size(), false, impl_->popcount_);
  std::copy_n(impl_->data_, buckets(), result.impl_->data_);
  result.copy_meta(*this);
  return result;
}

bitset& bitset::share(const operand& other, bool* unchanged) {
  // Read before `other`'s table changes: it may be this handle.
  const bck_t mask = other.mask_;
  if (unchanged != nullptr) *unchanged = impl_ != nullptr && equal(other, *this);
  copy_from(*other.table_);
  inverted_ = mask;
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

// Inlined into each operation, where the kernel, the operand count and the result's handling are
// known: at small sizes the generic version cost about as much as the word loop itself.
inline __attribute__((always_inline)) void bitset::pass(op o, std::initializer_list<const operand*> operands,
                                                        std::uint64_t* counts, bitset* out, bool* unchanged) {
  // Everything is read from the operands before `out` changes: `out` may be one of them.
  const operand& first = **operands.begin();
  const siz_t size = first.size();
  bitset_kernels::operands x{};
  siz_t ones[3] = {};
  unsigned k = 0;
  for (const operand* operand : operands) {
    x.in[k] = operand->table_->impl_->data_;
    x.mask[k] = operand->mask_;
    ones[k] = operand->popcount();
    ++k;
  }
  const siz_t words = count_buckets(size);
  const bck_t last_mask = first.table_->last_mask();
  if (out == nullptr) {
    bitset_kernels::run(o, x, words, last_mask, false, counts);
    return;
  }
  // A stored result goes into a handle that sees it through `out_mask`: ~a & ~b = ~(a | b) and
  // ~a | ~b = ~(a & b) store a | b and a & b, one operation fewer per word.
  const bck_t out_mask = complement_both(o, x, ones, size);
  if (out->impl_ != nullptr && out->impl_->size_ == size && out->sole_owner()) {
    // Overwritten in place; compared in the same pass when asked. The old value was the stored
    // words seen through the old mask, the new one through `out_mask`: equal when no stored bit
    // changed (same masks) or every one did (different masks).
    const bck_t old_mask = out->inverted_;
    x.out = out->impl_->data_;
    bitset_kernels::run(o, x, words, last_mask, unchanged != nullptr, counts);
    out->impl_->popcount_ = stored_popcount(o, ones, counts);
    out->inverted_ = out_mask;
    if (unchanged != nullptr)
      *unchanged = counts[bitset_kernels::changed_count] == (old_mask == out_mask ? 0 : size);
    return;
  }
  bitset result(size, false);
  x.out = result.impl_->data_;
  bitset_kernels::run(o, x, words, last_mask, false, counts);
  result.impl_->popcount_ = stored_popcount(o, ones, counts);
  result.inverted_ = out_mask;
  if (unchanged != nullptr) *unchanged = out->impl_ != nullptr && result == *out;
  out->move_from(result);
}

bitset& bitset::AND(operand a, operand b, bitset& out, bool* unchanged) {
  if (a.all_zeros() || b.all_ones() || a.is(b)) return out.share(a, unchanged);
  if (b.all_zeros() || a.all_ones()) return out.share(b, unchanged);
  bitset_kernels::counts_t counts{};
  pass(op::AND, {&a, &b}, counts.data(), &out, unchanged);
  return out;
}

bitset& bitset::OR(operand a, operand b, bitset& out, bool* unchanged) {
  if (a.all_ones() || b.all_zeros() || a.is(b)) return out.share(a, unchanged);
  if (b.all_ones() || a.all_zeros()) return out.share(b, unchanged);
  bitset_kernels::counts_t counts{};
  pass(op::OR, {&a, &b}, counts.data(), &out, unchanged);
  return out;
}

bool bitset::XOR_shortcut(const operand& a, const operand& b, bitset& out, siz_t* and_popcount,
                          bool* unchanged) {
  // A constant operand leaves the other, complemented when the constant is all ones; a & b is then
  // 0 or the other's count. Both are taken before `out` changes: it may be one of the operands.
  const operand* constant = a.all_zeros()   ? &a
                            : b.all_zeros() ? &b
                            : a.all_ones()  ? &a
                            : b.all_ones()  ? &b
                                            : nullptr;
  if (constant == nullptr) return false;
  const operand& other = constant == &a ? b : a;
  const bool complement = constant->all_ones();
  if (and_popcount != nullptr) *and_popcount = complement ? other.popcount() : 0;
  out.share(complement ? other.complemented() : other, unchanged);
  return true;
}

bitset& bitset::XOR(operand a, operand b, bitset& out) {
  if (XOR_shortcut(a, b, out, nullptr, nullptr)) return out;
  bitset_kernels::counts_t counts{};
  pass(op::XOR, {&a, &b}, counts.data(), &out);
  return out;
}

bitset& bitset::XOR(operand a, operand b, bitset& out, siz_t& and_popcount, bool* unchanged) {
  if (XOR_shortcut(a, b, out, &and_popcount, unchanged)) return out;
  bitset_kernels::counts_t counts{};
  pass(op::XOR_AND, {&a, &b}, counts.data(), &out, unchanged);
  and_popcount = counts[0];
  return out;
}

bool bitset::MAJ_shortcut(const operand& a, const operand& b, const operand& c, bitset& out,
                          std::array<siz_t, 4>* and_popcounts, bool* unchanged) {
  const operand* operands[3] = {&a, &b, &c};
  for (unsigned i = 0; i < 3; ++i) {
    const operand& p = *operands[i];
    const operand& q = *operands[(i + 1) % 3];
    const operand& r = *operands[(i + 2) % 3];
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
      out.share(p.mask_ == q.mask_ ? p : r, unchanged);
    }
    return true;
  }
  return false;
}

bitset& bitset::MAJ(operand a, operand b, operand c, bitset& out) {
  if (MAJ_shortcut(a, b, c, out, nullptr, nullptr)) return out;
  bitset_kernels::counts_t counts{};
  pass(op::MAJ, {&a, &b, &c}, counts.data(), &out);
  return out;
}

bitset& bitset::MAJ(operand a, operand b, operand c, bitset& out, std::array<siz_t, 4>& and_popcounts,
                    bool* unchanged) {
  if (MAJ_shortcut(a, b, c, out, &and_popcounts, unchanged)) return out;
  bitset_kernels::counts_t counts{};
  pass(op::MAJ_PAIRS, {&a, &b, &c}, counts.data(), &out, unchanged);
  std::copy_n(counts.begin(), 4, and_popcounts.begin());
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

std::uint64_t bitset::count(op o, std::initializer_list<const operand*> operands) {
  bitset_kernels::counts_t counts{};
  pass(o, operands, counts.data());
  return counts[0];
}

siz_t bitset::AND_popcount(operand a, operand b) { return count(op::AND, {&a, &b}); }

siz_t bitset::OR_popcount(operand a, operand b) { return count(op::OR, {&a, &b}); }

siz_t bitset::XOR_popcount(operand a, operand b) { return count(op::XOR, {&a, &b}); }

siz_t bitset::AND3_popcount(operand a, operand b, operand c) { return count(op::AND3, {&a, &b, &c}); }

siz_t bitset::MAJ_popcount(operand a, operand b, operand c) { return count(op::MAJ, {&a, &b, &c}); }

std::array<siz_t, 4> bitset::AND_pairs_popcount(operand a, operand b, operand c) {
  bitset_kernels::counts_t counts{};
  pass(op::MAJ_PAIRS, {&a, &b, &c}, counts.data());
  return {counts[0], counts[1], counts[2], counts[3]};
}

bool bitset::shared_among_threads(siz_t size) {
  return count_buckets(size) >= bitset_kernels::parallel_threshold() && omp_get_max_threads() > 1;
}

siz_t bitset::popcount_range(const bck_t* begin, const bck_t* end) {
  if (begin == end) return 0;
  bitset_kernels::counts_t counts{};
  bitset_kernels::run(op::COPY, {{begin}, {}, nullptr}, end - begin, ~bck_t{0}, false, counts.data());
  return counts[0];
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
  if (impl_ == nullptr || other.impl_ == nullptr || size() != other.size()) return false;
  return equal(*this, other);
}

bool bitset::equal(const operand& a, const operand& b) {
  const bitset &x = *a.table_, &y = *b.table_;
  if (a.popcount() != b.popcount()) return false;
  if (a.is(b)) return true;
  if (a.popcount() == 0 || a.all_ones()) return true;
  if (a.same_impl(b)) return false;
  const siz_t last = x.buckets() - 1;
  if (a.mask_ == b.mask_) {
    if (std::memcmp(x.impl_->data_, y.impl_->data_, last * sizeof(bck_t)) != 0) return false;
  } else {
    for (siz_t i = 0; i < last; ++i) {
      if (x.data(i) != ~y.data(i)) return false;
    }
  }
  return (((x.data(last) ^ a.mask_) ^ (y.data(last) ^ b.mask_)) & x.last_mask()) == 0;
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
