#include "util/string.hpp"

namespace util::string {

std::string_view ref_sv;

std::string_view lsplit(std::string_view text, std::string_view delims, std::string_view& rest) {
  // One delimiter, the common case, is found with a single scan rather than one per character.
  const auto cut = delims.size() == 1 ? text.find(delims[0]) : text.find_first_of(delims);
  if (cut == std::string_view::npos) {
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
  const auto first = text.find_first_not_of(chars);
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view rtrim(std::string_view text, std::string_view chars) {
  const auto last = text.find_last_not_of(chars);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view trim(std::string_view text, std::string_view chars) {
  return rtrim(ltrim(text, chars), chars);
}

}  // namespace util::string
