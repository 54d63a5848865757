#pragma once

#include <chrono>

namespace util {

// The system clock's current time in seconds since its epoch (nanoseconds divided by 1e9):
// the time base of phase banners, progress lines, time limits and estimates.
template <typename FLT = double>
FLT wall_seconds() {
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  return static_cast<FLT>(nanoseconds) / static_cast<FLT>(1e9);
}

}  // namespace util
