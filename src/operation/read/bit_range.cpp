#include "operation/read/bit_range.hpp"

#include <charconv>

#include "operation/read/exception.hpp"
#include "util/string.hpp"

namespace operation {

std::string bit_name(std::string_view vector, std::int64_t index) {
  return util::string::concat(vector, "[", index, "]");
}

std::optional<std::int64_t> parse_index(std::string_view text) {
  text = util::string::trim(text);
  std::int64_t value = 0;
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value > 0x7FFFFFFF) return std::nullopt;
  return value;
}

BitRange parse_range(std::string_view& text, siz_t lineno) {
  const std::size_t close = text.find(']');
  const std::string_view inside = text.substr(1, close == std::string_view::npos ? text.size() : close - 1);
  const std::size_t colon = inside.find(':');
  const auto msb = parse_index(inside.substr(0, colon));
  const auto lsb = colon == std::string_view::npos ? std::nullopt : parse_index(inside.substr(colon + 1));
  if (close == std::string_view::npos || !msb || !lsb)
    throw ReadException(
        util::string::concat("Malformed range `",
                             close == std::string_view::npos ? text : text.substr(0, close + 1), "`."),
        lineno);
  text = util::string::ltrim(text.substr(close + 1));
  return {*msb, *lsb};
}

}  // namespace operation
