#pragma once

#include <chrono>

namespace util {

// The steady clock's current time in seconds since its epoch (nanoseconds divided by 1e9): the
// time base of phase banners, progress lines, time limits and estimates. Only differences mean
// anything; unlike the system clock it never jumps when the clock is set.
template <typename FLT = double>
FLT steady_seconds() {
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
  return static_cast<FLT>(nanoseconds) / static_cast<FLT>(1e9);
}

}  // namespace util
