#include "reach.hpp"

#include <algorithm>
#include <atomic>
#include <bit>

Reach::Reach(nid_t width, nid_t height) : width_(width), height_(height) {
  if (buckets_total() > 0) data_ = new bck_t[buckets_total()]();
}

Reach::Reach(const Reach& other) { copy_from(other); }

Reach::Reach(Reach&& other) noexcept { move_from(other); }

Reach& Reach::operator=(const Reach& other) {
  copy_from(other);
  return *this;
}

Reach& Reach::operator=(Reach&& other) noexcept {
  move_from(other);
  return *this;
}

Reach::~Reach() { free(); }

void Reach::release() {
  width_ = 0;
  height_ = 0;
  data_ = nullptr;
}

void Reach::free() {
  delete[] data_;
  release();
}

void Reach::copy_meta(const Reach& other) {
  free();
  width_ = other.width_;
  height_ = other.height_;
}

void Reach::copy_from(const Reach& other) {
  if (this == &other) return;
  // Copies before freeing, so a failed allocation leaves this matrix as it was.
  bck_t* copy = nullptr;
  if (other.data_ != nullptr && other.buckets_total() > 0) {
    copy = new bck_t[other.buckets_total()];
    std::copy_n(other.data_, other.buckets_total(), copy);
  }
  copy_meta(other);
  data_ = copy;
}

void Reach::move_from(Reach& other) {
  if (this == &other) return;
  copy_meta(other);
  data_ = other.data_;
  other.release();
}

void Reach::set(nid_t i, nid_t j) {
  const auto [word, bit] = convert_pos(j);
  std::atomic_ref<bck_t>(row(i)[word]).fetch_or(bck_t{1} << bit, std::memory_order_relaxed);
}

operation::nid_t Reach::count(nid_t idx) const {
  const bck_t* words = row(idx);
  const nid_t length = buckets();
  nid_t total = 0;
  for (nid_t k = 0; k < length; ++k) total += std::popcount(words[k]);
  return total;
}

operation::nid_t Reach::count_col(nid_t col, nid_t start) const {
  const auto [word, bit] = convert_pos(col);
  const nid_t stride = buckets();
  nid_t total = 0;
  for (nid_t r = start; r < height_; ++r)
    total += static_cast<nid_t>((data_[siz_t{r} * stride + word] >> bit) & 1);
  return total;
}

std::vector<operation::nid_t> Reach::count_cols(nid_t start) const {
  const nid_t words = buckets();
  std::vector<nid_t> totals(siz_t{words} * bits, 0);
  if (start < height_) {
    // Eight byte-lane counters per word: lanes[w * 8 + b] counts in its byte l the rows whose bit
    // 8 * l + b of word w is set. A byte holds up to 255, so the rows go in blocks of 255.
    constexpr nid_t block = 255;
    constexpr bck_t low_bits = 0x0101010101010101ULL;
    const nid_t blocks = (height_ - start - 1) / block + 1;
#pragma omp parallel
    {
      std::vector<nid_t> counts(totals.size(), 0);
      std::vector<bck_t> lanes(siz_t{words} * 8);
#pragma omp for schedule(static)
      for (nid_t k = 0; k < blocks; ++k) {
        std::fill(lanes.begin(), lanes.end(), 0);
        const nid_t first = start + k * block;
        const nid_t last = height_ - first > block ? first + block : height_;
        for (nid_t r = first; r < last; ++r) {
          const bck_t* cells = row(r);
          for (nid_t w = 0; w < words; ++w)
            for (nid_t b = 0; b < 8; ++b) lanes[siz_t{w} * 8 + b] += (cells[w] >> b) & low_bits;
        }
        for (nid_t w = 0; w < words; ++w)
          for (nid_t b = 0; b < 8; ++b)
            for (nid_t l = 0; l < 8; ++l)
              counts[siz_t{w} * bits + 8 * l + b] += (lanes[siz_t{w} * 8 + b] >> (8 * l)) & 0xff;
      }
      for (std::size_t c = 0; c < counts.size(); ++c)
        if (counts[c] != 0) {
#pragma omp atomic
          totals[c] += counts[c];
        }
    }
  }
  totals.resize(width_);
  return totals;
}

void Reach::copy(nid_t out, nid_t a) {
  if (out != a) std::copy_n(row(a), buckets(), row(out));
}

void Reach::make_union(nid_t out, nid_t a, nid_t b) {
  bck_t* target = row(out);
  const bck_t* left = row(a);
  const bck_t* right = row(b);
  const nid_t length = buckets();
  for (nid_t k = 0; k < length; ++k) target[k] = left[k] | right[k];
}
