#pragma once

#include <string>
#include <string_view>

namespace report {

// The text with the characters that HTML and SVG give a meaning (& < > " ') written as references.
std::string escape(std::string_view text);

// A number in fixed-point notation with `digits` after the point, with a true minus sign
// ("−") and no sign on a rounded zero.
std::string fixed(double value, unsigned digits);

// A number as mantissa and power of ten with `digits` after the point, "2.871 × 10<sup>−21</sup>".
std::string scientific(double value, unsigned digits);

}  // namespace report
