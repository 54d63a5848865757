#include "util/result_paths.hpp"

#include <string>

#include "util/output_file.hpp"

namespace util {

void check_result_paths(const argparse::params& parsed, std::initializer_list<std::string_view> options) {
  for (const auto option : options) {
    const std::string name(option);
    if (parsed.is_set(name)) {
      output_file::check_writable(parsed.get_ref(name));
    }
  }
}

}  // namespace util
