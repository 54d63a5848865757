#pragma once

#include <filesystem>
#include <string_view>

#include "operation/read/exception.hpp"

namespace report {

// A result or job file that cannot be read or is malformed: "FILE: Line N: message", or
// "FILE: message" when no line is concerned.
class file_error : public operation::ReadException {
 public:
  file_error(const std::filesystem::path& file, operation::siz_t line, std::string_view message);
  ~file_error() override;
};

}  // namespace report
