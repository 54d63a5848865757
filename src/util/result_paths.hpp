#pragma once

#include <initializer_list>
#include <string_view>

#include "util/argparse/base.hpp"

namespace util {

// Checks, before a run starts computing, that every result file named by one of the given
// options that was set on the command line can be written (`output_file::check_writable`);
// throws `file_not_writable` for the first one that cannot.
void check_result_paths(const argparse::params& parsed, std::initializer_list<std::string_view> options);

}  // namespace util
