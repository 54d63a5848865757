#pragma once

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "util/string.hpp"

namespace fuzz {

// Reports a broken expectation and aborts, which the fuzzer records as a crash with its input.
template <typename... Args>
[[noreturn]] void fail(const Args&... message) {
  std::cerr << "fuzz check failed: " << util::string::concat(message...) << std::endl;
  std::abort();
}

// Fails with `message` unless `condition` holds.
template <typename... Args>
void check(bool condition, const Args&... message) {
  if (!condition) fail(message...);
}

}  // namespace fuzz
