#pragma once

#include <cstdint>
#include <iterator>

namespace util {

// A non-owning range over [begin, end): the form in which nodes hand out their arc lists.
// IT is the iterator, CIT the matching constant iterator.
template <typename IT, typename CIT = IT>
class container {
 public:
  container(IT begin, IT end) : begin_(begin), end_(end) {}
  container(IT begin, std::uint64_t count) : begin_(begin), end_(std::next(begin, count)) {}

  bool empty() const { return begin_ == end_; }
  std::uint64_t size() const { return static_cast<std::uint64_t>(std::distance(begin_, end_)); }
  decltype(auto) operator[](std::uint64_t i) const { return *std::next(begin_, i); }

  IT begin() const { return begin_; }
  IT end() const { return end_; }
  CIT cbegin() const { return begin_; }
  CIT cend() const { return end_; }
  auto rbegin() const { return std::reverse_iterator<IT>(end_); }
  auto rend() const { return std::reverse_iterator<IT>(begin_); }
  auto crbegin() const { return std::reverse_iterator<CIT>(end_); }
  auto crend() const { return std::reverse_iterator<CIT>(begin_); }

 private:
  IT begin_;
  IT end_;
};

}  // namespace util
