#pragma once

#include <string>
#include <string_view>

namespace report {

// Whether the text is a number as join writes them: an optional minus sign, digits, and
// optionally a point followed by digits.
bool is_decimal(std::string_view text);

// A decimal text (`is_decimal`) rounded to `digits` after the point, half away from zero, on the
// digits themselves: the page shows exactly what the file holds, at the precision shown.
std::string round_decimal(std::string_view text, unsigned digits);

}  // namespace report
