#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "operation/operation.hpp"

namespace operation {

// The range "[msb:lsb]" of a declared vector. Its bits are named "name[i]", for i from `msb_` to
// `lsb_` (the declared order, leftmost first), whichever of the two is larger.
struct BitRange {
  std::int64_t msb_ = 0;  // the index written first
  std::int64_t lsb_ = 0;  // the index written second

  // The number of bits.
  std::int64_t width() const { return (msb_ > lsb_ ? msb_ - lsb_ : lsb_ - msb_) + 1; }
  // The index of the k-th bit in declared order.
  std::int64_t index(std::int64_t k) const { return msb_ > lsb_ ? msb_ - k : msb_ + k; }
  // Whether `i` is one of the range's indices.
  bool holds(std::int64_t i) const { return (i - msb_) * (i - lsb_) <= 0; }
  bool operator==(const BitRange&) const = default;
};

// Hashes strings and their views alike, so that maps keyed by strings are searched with views.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

// The declared vectors of a module by name.
using VectorRanges = std::unordered_map<std::string, BitRange, NameHash, std::equal_to<>>;

// The name of bit `index` of vector `vector`: "a[3]".
std::string bit_name(std::string_view vector, std::int64_t index);

// Reads a bit index: decimal digits only, at most 2^31 - 1; nothing when `text` is not one.
std::optional<std::int64_t> parse_index(std::string_view text);

// Reads a range "[msb:lsb]" (blanks allowed inside) from the front of `text`, which then holds the
// rest; throws ReadException "Malformed range `…`." at line `lineno` when the brackets hold no range.
BitRange parse_range(std::string_view& text, siz_t lineno);

}  // namespace operation
