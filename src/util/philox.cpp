#include "util/philox.hpp"

namespace util {

namespace {

constexpr std::uint32_t multiplier0 = 0xD2511F53, multiplier1 = 0xCD9E8D57;
constexpr std::uint32_t key_step0 = 0x9E3779B9, key_step1 = 0xBB67AE85;  // golden ratio, sqrt(3) - 1
constexpr int rounds = 10;

std::uint32_t high(std::uint64_t product) { return static_cast<std::uint32_t>(product >> 32); }
std::uint32_t low(std::uint64_t product) { return static_cast<std::uint32_t>(product); }

}  // namespace

std::array<std::uint32_t, 4> philox4x32(std::array<std::uint32_t, 4> counter,
                                        std::array<std::uint32_t, 2> key) {
  for (int round = 0; round < rounds; ++round) {
    if (round != 0) {
      key[0] += key_step0;
      key[1] += key_step1;
    }
    const std::uint64_t product0 = std::uint64_t{multiplier0} * counter[0];
    const std::uint64_t product1 = std::uint64_t{multiplier1} * counter[2];
    counter = {high(product1) ^ counter[1] ^ key[0], low(product1), high(product0) ^ counter[3] ^ key[1],
               low(product0)};
  }
  return counter;
}

}  // namespace util
