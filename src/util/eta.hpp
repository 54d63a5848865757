#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "util/clock.hpp"

namespace util {

// Remaining-time estimator: keeps a ring of (time, fraction done) samples and extrapolates the
// rate since the oldest one. With a ring of one slot every `get` is measured from the sample
// taken at construction (or at the last `add`, which replaces it).
template <typename FLT>
class eta {
 public:
  // Scratch target for the current time when the caller does not want it.
  static inline FLT defref{};

  // An estimator without samples; its estimates are infinite.
  eta() = default;
  // A ring of `max_size` samples whose first sample is (now, perc).
  explicit eta(std::uint64_t max_size, FLT perc = 0) {
    allocate(max_size);
    reset(perc);
  }
  eta(const eta& other) { copy_from(other); }
  eta(eta&& other) noexcept { move_from(other); }
  eta& operator=(const eta& other) {
    if (this != &other) {
      copy_from(other);
    }
    return *this;
  }
  eta& operator=(eta&& other) noexcept {
    if (this != &other) {
      move_from(other);
    }
    return *this;
  }
  ~eta() { free(); }

  // The estimate for `perc`, then records (now, perc), dropping the oldest sample when full.
  FLT add(FLT perc) {
    FLT now;
    const FLT estimate = get(perc, now);
    store(now, perc);
    return estimate;
  }
  FLT add(std::uint64_t done, std::uint64_t total) { return add(fraction(done, total)); }

  // Seconds still needed to reach 1 at the rate since the oldest sample; `now` receives the time.
  FLT get(FLT perc, FLT& now = defref) const {
    now = time_since_epoch();
    if (max_size_ == 0) {
      return std::numeric_limits<FLT>::infinity();
    }
    return (now - times_[head_]) * (1 - perc) / (perc - percs_[head_]);
  }
  FLT get(std::uint64_t done, std::uint64_t total) const { return get(fraction(done, total)); }

  // Drops every sample and takes (now, perc) as the first one.
  void reset(FLT perc = 0) {
    head_ = 0;
    tail_ = 0;
    if (max_size_ != 0) {
      store(time_since_epoch(), perc);
    }
  }

  // The steady clock's current time in seconds (see `steady_seconds`).
  static FLT time_since_epoch() { return steady_seconds<FLT>(); }

  // Deletes the ring and empties the estimator.
  void free() {
    delete[] times_;
    delete[] percs_;
    release();
  }
  // Forgets the ring without deleting it.
  void release() {
    head_ = 0;
    tail_ = 0;
    max_size_ = 0;
    times_ = nullptr;
    percs_ = nullptr;
  }
  // Copies the ring positions and capacity.
  void copy_meta(const eta& other) {
    head_ = other.head_;
    tail_ = other.tail_;
    max_size_ = other.max_size_;
  }
  // Replaces this estimator by a copy of the other.
  void copy_from(const eta& other) {
    free();
    allocate(other.max_size_);
    copy_meta(other);
    std::copy_n(other.times_, max_size_, times_);
    std::copy_n(other.percs_, max_size_, percs_);
  }
  // Takes over the other's ring and empties the other.
  void move_from(eta& other) {
    free();
    copy_meta(other);
    times_ = other.times_;
    percs_ = other.percs_;
    other.release();
  }

 private:
  static FLT fraction(std::uint64_t done, std::uint64_t total) {
    return static_cast<FLT>(static_cast<double>(done) / static_cast<double>(total));
  }

  void allocate(std::uint64_t max_size) {
    if (max_size != 0) {
      std::unique_ptr<FLT[]> times(new FLT[max_size]);
      percs_ = new FLT[max_size];
      times_ = times.release();
      max_size_ = max_size;
    }
  }

  void store(FLT now, FLT perc) {
    if (max_size_ == 0) {
      return;
    }
    times_[tail_] = now;
    percs_[tail_] = perc;
    tail_ = (tail_ + 1) % max_size_;
    if (tail_ == head_) {
      head_ = (head_ + 1) % max_size_;
    }
  }

  std::uint64_t head_ = 0;
  std::uint64_t tail_ = 0;
  std::uint64_t max_size_ = 0;
  FLT* times_ = nullptr;
  FLT* percs_ = nullptr;
};

}  // namespace util
