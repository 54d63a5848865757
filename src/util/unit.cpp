#include "util/unit.hpp"

#include <array>
#include <cmath>

namespace util::unit {

namespace {

struct binary_unit {
  int exponent;
  std::string_view symbol;
  std::string_view name;
};

// From the largest unit down, so that the first one reached is chosen.
constexpr std::array<binary_unit, 8> binary_units{{{80, "Yi", "yobi"},
                                                   {70, "Zi", "zebi"},
                                                   {60, "Ei", "exbi"},
                                                   {50, "Pi", "pebi"},
                                                   {40, "Ti", "tebi"},
                                                   {30, "Gi", "gibi"},
                                                   {20, "Mi", "mibi"},
                                                   {10, "Ki", "kibi"}}};

}  // namespace

std::tuple<double, std::string_view, std::string_view> binary(std::uint64_t bytes) {
  const auto value = static_cast<double>(bytes);
  for (const auto& unit : binary_units) {
    const double scale = std::ldexp(1.0, unit.exponent);
    if (value >= scale) {
      return {value / scale, unit.symbol, unit.name};
    }
  }
  return {value, "", ""};
}

}  // namespace util::unit
