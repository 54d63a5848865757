#include "report/decimal.hpp"

#include <algorithm>

namespace report {

namespace {

bool all_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Adds one to a string of decimal digits.
void increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

bool is_decimal(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) return all_digits(text);
  return all_digits(text.substr(0, point)) && all_digits(text.substr(point + 1));
}

std::string round_decimal(std::string_view text, unsigned digits) {
  const bool negative = text.starts_with('-');
  if (negative) text.remove_prefix(1);
  const std::size_t point = std::min(text.find('.'), text.size());
  const std::string_view whole = text.substr(0, point);
  std::string fraction(point < text.size() ? text.substr(point + 1) : std::string_view());
  fraction.resize(std::max<std::size_t>(fraction.size(), digits + 1), '0');

  std::string kept = std::string(whole) + fraction.substr(0, digits);
  if (fraction[digits] >= '5') increment(kept);
  const std::size_t whole_size = kept.size() - digits;
  std::string result = kept.substr(0, whole_size);
  if (digits > 0) result += '.' + kept.substr(whole_size);
  const bool zero = std::all_of(kept.begin(), kept.end(), [](char c) { return c == '0'; });
  return negative && !zero ? '-' + result : result;
}

}  // namespace report
