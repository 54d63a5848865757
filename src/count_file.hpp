#pragma once

#include <string_view>

// The first line of a count file, which fullsim writes and join reads: the header of a complete
// run, or the header that marks the counts of a run stopped by its time limit as partial, so that
// join refuses to sum them as if they covered the worker's share.
inline constexpr std::string_view count_file_header = "name,gate,combinations";
inline constexpr std::string_view partial_count_file_header =
    "name,gate,combinations (partial: the run stopped at its time limit)";
