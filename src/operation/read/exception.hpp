#pragma once

#include <string_view>

#include "operation/operation.hpp"
#include "util/error.hpp"

namespace operation {

// The readers' error for unreadable or malformed input files. Its text is
// "Line N: message" when the line number N is known (not 0), else the message alone.
class ReadException : public util::input_error {
 public:
  explicit ReadException(std::string_view message, siz_t line = 0);
  ~ReadException() override;
};

}  // namespace operation
