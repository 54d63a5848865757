#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Containers keyed by or holding strings, as the command-line parser stores its declarations.
namespace util {

// Unordered map from a string to a value of type V.
template <typename V>
using string_map = std::unordered_map<std::string, V>;

// Unordered set of strings.
using string_set = std::unordered_set<std::string>;

// Vector of strings.
using string_vector = std::vector<std::string>;

// Map from a string to a set of strings (the allowed values of each parameter).
using string_mapset = string_map<string_set>;

}  // namespace util
