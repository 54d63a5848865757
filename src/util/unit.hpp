#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>

namespace util::unit {

// Scales a byte count to the largest binary unit it reaches: (value, symbol such as "Ki",
// long name such as "kibi"). Below 1024 the value is unscaled and both texts are empty.
// Callers write the symbol followed by "B".
std::tuple<double, std::string_view, std::string_view> binary(std::uint64_t bytes);

}  // namespace util::unit
