#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "operation/operation.hpp"

// Dense bit matrix saying which primary inputs (columns) each node (row) depends on. Rows are padded
// to whole 64-bit words, so the union of two rows is an OR of word arrays and a row count is a sum of
// word population counts. Row and column arguments are not checked.
class Reach {
 public:
  using nid_t = operation::nid_t;
  using siz_t = operation::siz_t;
  using bck_t = std::uint64_t;

  // Bits per word, and its base-2 logarithm.
  static constexpr std::uint64_t bits = 64;
  static constexpr std::uint64_t shift = 6;

  // An empty matrix without storage.
  Reach() = default;
  // A width × height matrix of zero cells.
  Reach(nid_t width, nid_t height);
  // Deep copy.
  Reach(const Reach& other);
  // Takes over the other's words and leaves it empty.
  Reach(Reach&& other) noexcept;
  Reach& operator=(const Reach& other);
  Reach& operator=(Reach&& other) noexcept;
  ~Reach();

  // Forgets the words without freeing them; width and height become 0.
  void release();
  // Frees the words and releases.
  void free();
  // Frees this matrix and takes the other's width and height, without storage.
  void copy_meta(const Reach& other);
  // This matrix becomes a copy of the other, with its own words.
  void copy_from(const Reach& other);
  // This matrix takes over the other's words; the other is left empty.
  void move_from(Reach& other);

  // Sets cell (i, j) with an atomic OR, so threads may set cells of the same word at once.
  void set(nid_t i, nid_t j);
  // Number of set cells in row `idx`.
  nid_t count(nid_t idx) const;
  // Number of rows r with start <= r < height whose cell (r, col) is set.
  nid_t count_col(nid_t col, nid_t start) const;
  // `count_col(col, start)` of every column, in one parallel pass over the rows instead of one pass
  // per column.
  std::vector<nid_t> count_cols(nid_t start) const;
  // Row `out` becomes a copy of row `a` (out may equal a).
  void copy(nid_t out, nid_t a);
  // Row `out` becomes row `a` OR row `b` (out may equal a or b).
  void make_union(nid_t out, nid_t a, nid_t b);

  // Number of columns (inputs).
  nid_t width() const { return width_; }
  // Number of rows (nodes).
  nid_t height() const { return height_; }
  // Number of cells, width × height.
  siz_t size() const { return siz_t{width_} * height_; }
  // Words per row.
  nid_t buckets() const { return count_buckets(width_); }
  // Words of the whole matrix.
  siz_t buckets_total() const { return siz_t{height_} * buckets(); }
  // Index of the word that holds cell (i, j).
  siz_t get_offset(nid_t i, nid_t j) const { return siz_t{i} * buckets() + (j >> shift); }

  // Word within a row and bit within that word of column j.
  static std::pair<nid_t, nid_t> convert_pos(nid_t j) { return {j >> shift, j & (bits - 1)}; }
  // Words needed for a row of `width` bits.
  static nid_t count_buckets(nid_t width) { return width == 0 ? 0 : ((width - 1) >> shift) + 1; }

 private:
  // The first word of row `idx`.
  bck_t* row(nid_t idx) const { return data_ + siz_t{idx} * buckets(); }

  nid_t width_ = 0;
  nid_t height_ = 0;
  bck_t* data_ = nullptr;
};
