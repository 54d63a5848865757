#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

using siz_t = std::uint64_t;  // a number of bits
using bck_t = std::uint64_t;  // one word ("bucket") of 64 bits

namespace bitset_kernels {
enum class op : unsigned;
}

// A packed bit vector: a small handle onto a shared, reference-counted record of words that also
// caches its population count, plus an inversion mask. Copying and complementing cost nothing;
// the logic operations recognise constant, identical and complementary operands and then share an
// operand's record instead of making a pass. Bit j is bit (j mod 64) of word j / 64.
class bitset {
 public:
  static constexpr siz_t bits = 64;       // bits per word
  static constexpr siz_t bits_shift = 6;  // log2 of `bits`

  // The record the handles share; freed by the handle that drops the count from 1 to 0.
  struct impl {
    siz_t size_;      // number of bits
    siz_t popcount_;  // number of 1 bits among the valid bits of the stored words
    bck_t* data_;     // ceil(size / 64) words; bits past the size are 0 in produced words
    std::atomic<std::uint32_t> ref_;
  };

  // An empty handle.
  bitset() = default;
  // A new record of `size` bits with cached popcount `popcount`; its words are cleared when `zeros`
  // is true and left uninitialised otherwise (then it serves as a result buffer the operations fill).
  explicit bitset(siz_t size, bool zeros = true, siz_t popcount = 0);
  // A table of `size` bits holding the given words (at least ceil(size / 64)); bits past the size
  // are dropped.
  static bitset from_words(siz_t size, std::span<const bck_t> words);

  // The words of a new value of `size` bits (at least 1), to be written by the caller: this
  // handle's record when it solely owns one of that size, else a new one; the mask is cleared.
  // Call `recount` once they are written.
  std::span<bck_t> overwrite(siz_t size);
  // Caches the count of the stored words after `overwrite` (bits past the size must be 0).
  void recount() { impl_->popcount_ = popcount_range(impl_->data_, impl_->data_ + buckets()); }

  // Copies share the record; moves take it over.
  bitset(const bitset& other) { copy_from(other); }
  bitset(bitset&& other) noexcept { move_from(other); }
  bitset& operator=(const bitset& other) {
    copy_from(other);
    return *this;
  }
  bitset& operator=(bitset&& other) noexcept {
    move_from(other);
    return *this;
  }
  ~bitset() { free(); }

  // Forgets the record without touching its count.
  void release() {
    impl_ = nullptr;
    inverted_ = 0;
  }
  // Lets go of the record (freeing it when this was its last handle), then releases.
  void free() {
    if (impl_ != nullptr) drop_record();
    release();
  }
  // Copies the inversion mask only.
  void copy_meta(const bitset& other) { inverted_ = other.inverted_; }
  // Makes this handle a shared copy of `other`.
  void copy_from(const bitset& other);
  // Takes over `other`'s record and mask and releases `other`.
  void move_from(bitset& other) {
    if (&other == this) return;
    free();
    impl_ = other.impl_;
    inverted_ = other.inverted_;
    other.release();
  }
  // A deep copy: a new record with the same words, cached count and mask.
  bitset copy() const;

  // The number of bits (0 for an empty handle).
  siz_t size() const { return impl_ == nullptr ? 0 : impl_->size_; }
  // The number of 1 bits this handle sees (the cached count, complemented when inverted).
  siz_t popcount() const {
    if (impl_ == nullptr) return 0;
    return inverted_ == 0 ? impl_->popcount_ : impl_->size_ - impl_->popcount_;
  }
  // Whether this handle sees the complement of the stored words.
  bool inverted() const { return inverted_ != 0; }
  // The number of words.
  siz_t buckets() const { return count_buckets(size()); }
  // The valid bits of the last word.
  bck_t last_mask() const {
    const siz_t used = size() % bits;
    return used == 0 ? ~bck_t{0} : (bck_t{1} << used) - 1;
  }

  // Complements this handle's view; the words are not touched.
  void flip() { inverted_ = ~inverted_; }
  // A shared copy that sees the complement.
  bitset operator~() const;
  // Makes `out` a shared copy of `a` that sees the complement.
  static bitset& NOT(const bitset& a, bitset& out);

  // A table as an operation reads it: the value `table` shows, complemented once more when
  // `complement` is set. Making one costs nothing (no shared copy, no count update), so a gate
  // reads an inverted input without a complemented copy. A table converts to its own operand.
  class operand {
   public:
    operand(const bitset& table, bool complement = false)  // NOLINT: implicit on purpose
        : table_(&table), mask_(table.inverted_ ^ (complement ? ~bck_t{0} : 0)) {}
    // The same table seen complemented.
    operand complemented() const { return operand(*table_, ~mask_); }
    siz_t size() const { return table_->impl_->size_; }
    // The number of 1 bits this operand shows.
    siz_t popcount() const {
      return mask_ == 0 ? table_->impl_->popcount_ : size() - table_->impl_->popcount_;
    }
    bool all_zeros() const { return popcount() == 0; }
    bool all_ones() const { return popcount() == size(); }
    // Whether both show the same record through the same mask.
    bool is(const operand& other) const { return same_impl(other) && mask_ == other.mask_; }
    bool same_impl(const operand& other) const { return table_->impl_ == other.table_->impl_; }

   private:
    friend class bitset;
    operand(const bitset& table, bck_t mask) : table_(&table), mask_(mask) {}

    const bitset* table_;
    bck_t mask_;  // the mask through which the words are read: 0 or all ones
  };

  // Makes this handle show `other`'s value, sharing its record (without a count update when it
  // shares it already), and returns it; with `unchanged`, first tells whether that value equals
  // this handle's (false when it was empty).
  bitset& share(const operand& other, bool* unchanged = nullptr);

  // out = a & b, a | b, a ^ b, majority(a, b, c). Operands and a non-empty `out` have one size of at
  // least 1 bit; `out` may be one of the operands. Degenerate operands make `out` share an operand's
  // record; otherwise one pass fills out's record (reused when `out` is its sole owner and it has
  // the right size, else new) and caches its count. When `unchanged` is given it receives whether
  // the result equals the value `out` held before (false when `out` was empty); a reused record is
  // then compared in the same pass that overwrites it.
  static bitset& AND(operand a, operand b, bitset& out, bool* unchanged = nullptr);
  static bitset& OR(operand a, operand b, bitset& out, bool* unchanged = nullptr);
  static bitset& XOR(operand a, operand b, bitset& out);
  static bitset& MAJ(operand a, operand b, operand c, bitset& out);
  // XOR that also gives the count of a & b, from the same pass (the XOR gate's counters need it).
  static bitset& XOR(operand a, operand b, bitset& out, siz_t& and_popcount, bool* unchanged = nullptr);
  // MAJ that also gives `AND_pairs_popcount(a, b, c)`, from the same pass when it makes one.
  static bitset& MAJ(operand a, operand b, operand c, bitset& out, std::array<siz_t, 4>& and_popcounts,
                     bool* unchanged = nullptr);

  // AND, OR and XOR into a new result.
  bitset operator&(const bitset& other) const;
  bitset operator|(const bitset& other) const;
  bitset operator^(const bitset& other) const;

  // The number of 1 bits the operation would produce, without storing a result.
  static siz_t AND_popcount(operand a, operand b);
  static siz_t OR_popcount(operand a, operand b);
  static siz_t XOR_popcount(operand a, operand b);
  static siz_t AND3_popcount(operand a, operand b, operand c);
  static siz_t MAJ_popcount(operand a, operand b, operand c);
  // The counts of a & b, a & c, b & c and a & b & c, in one pass.
  static std::array<siz_t, 4> AND_pairs_popcount(operand a, operand b, operand c);

  // The total number of 1 bits of the words in [begin, end).
  static siz_t popcount_range(const bck_t* begin, const bck_t* end);
  // The number of words that hold `size` bits.
  static siz_t count_buckets(siz_t size) { return (size + bits - 1) >> bits_shift; }
  // Whether the operations on tables of `size` bits share their words among the threads.
  static bool shared_among_threads(siz_t size);

  // The stored word i.
  bck_t data(siz_t i) const { return impl_->data_[i]; }
  // Where the stored words are (null for an empty handle): tells whether a result reused a record.
  const bck_t* words() const { return impl_ == nullptr ? nullptr : impl_->data_; }
  // Word i as this handle sees it (bits past the size of the last word included).
  bck_t bucket(siz_t i) const { return impl_->data_[i] ^ inverted_; }
  // Whether both handles share one record.
  bool same_impl(const bitset& other) const { return impl_ == other.impl_; }
  // Whether both handles share one record and see it the same way.
  bool is(const bitset& other) const { return same_impl(other) && inverted_ == other.inverted_; }

  // Gives bsets[0] to bsets[inputs - 1] new tables of 2^inputs bits holding every combination of
  // `inputs` variables: bit j of bsets[i] is bit (inputs - 1 - i) of j, so variable 0 is the most
  // significant bit of the pattern index. Throws std::length_error when inputs is 64 or more.
  static void build_combinations(std::span<bitset> bsets, siz_t inputs);

  // Value equality; an empty handle equals nothing.
  bool operator==(const bitset& other) const;
  // Hexadecimal text of the value, lowest bits first: character k is the digit of bits 4k to
  // 4k + 3. "0" for an empty handle.
  explicit operator std::string() const;

 private:
  // Drops this handle's count on its record, freeing the record when it was the last handle.
  void drop_record();
  bool sole_owner() const { return impl_->ref_.load(std::memory_order_acquire) == 1; }
  // Value equality of two operands of one size (both with records).
  static bool equal(const operand& a, const operand& b);
  // The shortcuts of XOR, also filling `and_popcount` when given; false when none applies.
  static bool XOR_shortcut(const operand& a, const operand& b, bitset& out, siz_t* and_popcount,
                           bool* unchanged);
  // The shortcuts of MAJ, also filling `and_popcounts` when given; false when none applies.
  static bool MAJ_shortcut(const operand& a, const operand& b, const operand& c, bitset& out,
                           std::array<siz_t, 4>* and_popcounts, bool* unchanged);
  // One pass of the kernel `o` over the operands (all of one size), filling `counts` (zeroed, the
  // kernels' layout). With an `out`, the result goes into out's record (reused when out solely owns
  // one of the right size, else new), unmasked, with its count cached; `unchanged`, when given,
  // receives whether the result equals out's previous value.
  // (Operands go by address: copying them would cost more than the small passes.)
  static void pass(bitset_kernels::op o, std::initializer_list<const operand*> operands,
                   std::uint64_t* counts, bitset* out = nullptr, bool* unchanged = nullptr);
  // The count of a count-only pass of `o`.
  static std::uint64_t count(bitset_kernels::op o, std::initializer_list<const operand*> operands);

  impl* impl_ = nullptr;
  bck_t inverted_ = 0;  // 0, or all ones when this handle sees the complement of the stored words
};
