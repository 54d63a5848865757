#include "util/string.hpp"

#include <algorithm>

namespace util::string {

std::string_view ref_sv;

namespace {

// Whether `c` belongs to the character set `chars`. The sets are a handful of characters, for which
// a plain loop is much faster than the library's call per character of the text.
bool in_set(char c, std::string_view chars) {
  for (const char member : chars)
    if (member == c) return true;
  return false;
}

}  // namespace

std::string_view lsplit(std::string_view text, std::string_view delims, std::string_view& rest) {
  const auto cut = delims.size() == 1
                       ? text.find(delims.front())
                       : static_cast<std::size_t>(std::find_if(text.begin(), text.end(),
                                                               [&](char c) { return in_set(c, delims); }) -
                                                  text.begin());
  if (cut >= text.size()) {
    rest = {};
    return text;
  }
  rest = text.substr(cut + 1);
  return text.substr(0, cut);
}

std::vector<std::string_view> lsplit_all(std::string_view text, std::string_view delims, std::uint64_t max) {
  std::vector<std::string_view> tokens;
  while (!text.empty() && tokens.size() < max) {
    tokens.push_back(lsplit(text, delims, text));
  }
  return tokens;
}

std::string_view ltrim(std::string_view text, std::string_view chars) {
  while (!text.empty() && in_set(text.front(), chars)) text.remove_prefix(1);
  return text;
}

std::string_view rtrim(std::string_view text, std::string_view chars) {
  while (!text.empty() && in_set(text.back(), chars)) text.remove_suffix(1);
  return text;
}

std::string_view trim(std::string_view text, std::string_view chars) {
  return rtrim(ltrim(text, chars), chars);
}

}  // namespace util::string
