#include "operation/read/exception.hpp"

namespace operation {

ReadException::ReadException(std::string_view message, siz_t line) : util::input_error(message, line) {}

ReadException::~ReadException() = default;

}  // namespace operation
