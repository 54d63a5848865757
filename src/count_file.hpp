#pragma once

#include <string_view>

// The first line of a count file, which fullsim writes and join checks.
inline constexpr std::string_view count_file_header = "name,gate,combinations";
