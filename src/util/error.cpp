#include "util/error.hpp"

#include "util/string.hpp"

namespace util {

namespace {

std::string located(std::string_view message, std::uint64_t line, const std::filesystem::path& file) {
  std::string text = file.empty() ? std::string() : file.string() + ": ";
  if (line != 0) text += string::concat("Line ", line, ": ");
  return text.append(message);
}

}  // namespace

usage_error::usage_error(const std::string& message) : std::runtime_error(message) {}
usage_error::~usage_error() = default;

input_error::input_error(std::string_view message, std::uint64_t line, const std::filesystem::path& file)
    : std::runtime_error(located(message, line, file)), line_(line), file_(file) {}
input_error::~input_error() = default;

resource_error::resource_error(const std::string& message) : std::runtime_error(message) {}
resource_error::~resource_error() = default;

status_error::status_error(int status, const std::string& message)
    : std::runtime_error(message), status_(status) {}
status_error::~status_error() = default;

}  // namespace util
