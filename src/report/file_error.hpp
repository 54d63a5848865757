#pragma once

#include <filesystem>
#include <string_view>

#include "operation/operation.hpp"
#include "util/error.hpp"

namespace report {

// A result or job file that cannot be read or is malformed: "FILE: Line N: message", or
// "FILE: message" when no line is concerned (exit status 3).
class file_error : public util::input_error {
 public:
  file_error(const std::filesystem::path& file, operation::siz_t line, std::string_view message)
      : util::input_error(message, line, file) {}
};

}  // namespace report
