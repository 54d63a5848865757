#pragma once

#include <string>

#include "report/picture.hpp"
#include "report/results.hpp"
#include "report/sources.hpp"

namespace report {

// Energy of one bit destroyed at 300 K, k·T·ln 2, in joules.
inline constexpr double joules_per_bit = 1.380649e-23 * 300 * 0.69314718055994531;

// The report as one self-contained HTML page: inline CSS and SVG, no scripts, nothing fetched.
// Numbers read from join's files are shown rounded from their text (`round_decimal`).
std::string write_page(const sources& from, const results& found, const picture& drawn);

}  // namespace report
