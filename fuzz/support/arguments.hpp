#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A command line made from the fuzzer's input: the program's name, then one argument per line
// of `text` (an empty line is an empty argument), in the form main receives.
class arguments {
 public:
  arguments(std::string_view program, std::string_view text) {
    tokens_.emplace_back(program);
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      tokens_.emplace_back(text.substr(0, end));
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    for (const std::string& token : tokens_) argv_.push_back(token.c_str());
    argv_.push_back(nullptr);
  }
  arguments(const arguments&) = delete;
  arguments& operator=(const arguments&) = delete;

  int argc() const { return static_cast<int>(tokens_.size()); }
  const char* const* argv() const { return argv_.data(); }

 private:
  std::vector<std::string> tokens_;
  std::vector<const char*> argv_;
};

}  // namespace fuzz
