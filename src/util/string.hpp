#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers: cutting views into tokens, trimming, reading and formatting numbers.
namespace util::string {

// The six white-space characters, the default set of the trimming functions.
inline constexpr std::string_view whitespace = " \f\n\r\t\v";

// Scratch view that receives the rest of a split when the caller does not want it.
extern std::string_view ref_sv;

// Returns the text before the first delimiter; `rest` receives the text after it
// (empty when there is no delimiter, in which case the whole text is returned).
std::string_view lsplit(std::string_view text, std::string_view delims, std::string_view& rest = ref_sv);

// Same as `lsplit`; the delimiters may also be a character array.
inline std::string_view split(std::string_view text, std::string_view delims, std::string_view& rest = ref_sv) {
  return lsplit(text, delims, rest);
}

// Applies `lsplit` from the left until the text is used up or `max` tokens are taken.
// Two delimiters in a row give an empty token; a delimiter at the very end gives none.
std::vector<std::string_view> lsplit_all(std::string_view text, std::string_view delims,
                                         std::uint64_t max = std::numeric_limits<std::uint64_t>::max());

// All tokens of the text, as `lsplit_all`.
inline std::vector<std::string_view> split_all(std::string_view text, std::string_view delims,
                                               std::uint64_t max = std::numeric_limits<std::uint64_t>::max()) {
  return lsplit_all(text, delims, max);
}

// The view without leading characters of the set.
std::string_view ltrim(std::string_view text, std::string_view chars = whitespace);
// The view without trailing characters of the set.
std::string_view rtrim(std::string_view text, std::string_view chars = whitespace);
// The view without leading and trailing characters of the set.
std::string_view trim(std::string_view text, std::string_view chars = whitespace);

// The unsigned number that the whole text writes in decimal digits; nothing when the text is
// empty, holds anything but the digits 0-9 (a sign, white space, a suffix) or exceeds T.
template <std::unsigned_integral T>
std::optional<T> to_unsigned(std::string_view text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

// The number right-aligned in a field of at least `width` characters, padded with `fill`.
template <typename T>
std::string fromi(T value, std::uint64_t width, char fill) {
  std::ostringstream stream;
  stream << std::setfill(fill) << std::setw(static_cast<int>(width)) << value;
  return stream.str();
}

// The number in fixed-point notation with exactly `precision` digits after the point.
template <typename T>
std::string fromf(const T& value, std::uint64_t precision) {
  std::ostringstream stream;
  stream.unsetf(std::ios_base::floatfield);
  stream << std::fixed << std::setprecision(static_cast<int>(precision)) << value;
  return stream.str();
}

// The arguments written one after another with default stream formatting.
template <typename... Args>
std::string concat(const Args&... args) {
  std::ostringstream stream;
  (stream << ... << args);
  return stream.str();
}

}  // namespace util::string
