#include "job/shell_quote.hpp"

#include <algorithm>
#include <cstdio>

namespace job {

namespace {

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }

// The characters that bash's %q quotes with a backslash wherever they stand.
bool is_special(char c) {
  constexpr std::string_view special = " \t\n!\"$&'()*,;<>?[\\]^`{|}";
  return special.find(c) != std::string_view::npos;
}

// ANSI-C quoting, $'...', for a word with control characters.
std::string ansi_c_quote(std::string_view word) {
  std::string quoted = "$'";
  for (const char c : word) {
    switch (c) {
      case '\a':
        quoted += "\\a";
        break;
      case '\b':
        quoted += "\\b";
        break;
      case '\f':
        quoted += "\\f";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\v':
        quoted += "\\v";
        break;
      case '\x1b':
        quoted += "\\E";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\'':
        quoted += "\\'";
        break;
      default:
        if (is_control(static_cast<unsigned char>(c))) {
          char octal[5];
          std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
          quoted += octal;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "'";
}

}  // namespace

std::string shell_quote(std::string_view word) {
  if (word.empty()) return "''";
  if (std::any_of(word.begin(), word.end(), [](char c) { return is_control(static_cast<unsigned char>(c)); }))
    return ansi_c_quote(word);
  std::string quoted;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    const bool tilde_special = c == '~' && (i == 0 || word[i - 1] == ':' || word[i - 1] == '=');
    if (is_special(c) || (c == '#' && i == 0) || tilde_special) quoted += '\\';
    quoted += c;
  }
  return quoted;
}

std::string shell_quote(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) line += ' ';
    line += shell_quote(word);
  }
  return line;
}

}  // namespace job
