#pragma once

#include <array>
#include <cstdint>

namespace util {

// Philox4x32-10 (Salmon, Moraes, Dror and Shaw, "Parallel random numbers: as easy as 1, 2, 3",
// SC 2011): a counter-based generator. Each call maps a 128-bit counter and a 64-bit key to 128
// random bits, a pure function of both, so any block of a stream is drawn without the blocks
// before it: work shared among threads in any way draws the same numbers.
std::array<std::uint32_t, 4> philox4x32(std::array<std::uint32_t, 4> counter,
                                        std::array<std::uint32_t, 2> key);

}  // namespace util
