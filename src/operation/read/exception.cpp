#include "operation/read/exception.hpp"

#include <string>

#include "util/string.hpp"

namespace operation {

ReadException::ReadException(std::string_view message, siz_t line)
    : std::runtime_error(line == 0 ? std::string(message)
                                   : util::string::concat("Line ", line, ": ", message)) {}

ReadException::~ReadException() = default;

}  // namespace operation
