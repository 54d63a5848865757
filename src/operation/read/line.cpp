#include "operation/read/line.hpp"

#include <system_error>

#include "operation/read/exception.hpp"
#include "util/string.hpp"

namespace operation {

std::ifstream open_netlist(const std::filesystem::path& fname) {
  std::error_code error;
  std::ifstream file;
  if (!std::filesystem::is_directory(fname, error)) file.open(fname);
  if (!file.is_open()) throw ReadException(util::string::concat("Could not open file `", fname, "`."));
  return file;
}

void check_read_error(const std::istream& file) {
  if (file.bad()) throw ReadException("Could not read the file.");
}

std::string_view read_next_line(std::istream& file, siz_t& lineno, std::string& buffer) {
  while (std::getline(file, buffer, file.widen('\n'))) {
    std::string_view line = buffer;
    if (const auto comment = line.find("//"); comment != std::string_view::npos)
      line = line.substr(0, comment);
    line = util::string::trim(line);
    ++lineno;
    if (!line.empty()) return line;
  }
  return {};
}

void read_full_line(std::istream& file, siz_t& lineno, char delim, std::string& buffer,
                    std::string& statement) {
  statement.clear();
  do {
    const std::string_view line = read_next_line(file, lineno, buffer);
    if (line.empty()) return;
    statement += ' ';
    statement += line;
  } while (statement.back() != delim);
}

std::string read_full_line(std::istream& file, siz_t& lineno, char delim) {
  std::string buffer, statement;
  read_full_line(file, lineno, delim, buffer, statement);
  return statement;
}

bool remove_tilde(std::string_view& name) {
  name = util::string::trim(name, trim_sv);
  bool inverted = false;
  while (!name.empty() && name.front() == '~') {
    name = util::string::ltrim(name.substr(1), trim_sv);
    inverted = !inverted;
  }
  return inverted;
}

void ignore_command(std::istream& file, std::string_view line, siz_t& lineno, char delim) {
  std::string buffer;
  while (!line.empty() && line.back() != delim) line = read_next_line(file, lineno, buffer);
}

}  // namespace operation
