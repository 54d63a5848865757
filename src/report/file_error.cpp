#include "report/file_error.hpp"

#include "util/string.hpp"

namespace report {

using util::string::concat;

file_error::file_error(const std::filesystem::path& file, operation::siz_t line, std::string_view message)
    : operation::ReadException(line == 0 ? concat(file.string(), ": ", message)
                                         : concat(file.string(), ": Line ", line, ": ", message)) {}

file_error::~file_error() = default;

}  // namespace report
