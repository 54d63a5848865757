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

namespace {

bool is_blank(char c) { return util::string::whitespace.find(c) != std::string_view::npos; }

// Replaces the comment or attribute that opens at `start` of `buffer` (the line `lineno`) and closes
// with `close` by one space. When it does not close on this line, the lines up to the one that
// closes it are read (and counted) and the text after it joins the line.
void blank_out(std::istream& file, siz_t& lineno, std::string& buffer, std::size_t start,
               std::string_view close) {
  if (const std::size_t end = buffer.find(close, start + 2); end != std::string::npos) {
    buffer.replace(start, end + close.size() - start, 1, ' ');
    return;
  }
  const siz_t first = lineno;
  std::string more;
  std::size_t end = std::string::npos;
  while (end == std::string::npos) {
    if (!std::getline(file, more, file.widen('\n'))) {
      check_read_error(file);
      throw ReadException(close == "*/" ? "File ended inside a comment." : "File ended inside an attribute.",
                          first);
    }
    ++lineno;
    end = more.find(close);
  }
  buffer.resize(start);
  buffer += ' ';
  buffer.append(more, end + close.size());
}

// Removes the line comment, block comments and attributes "(* … *)" of `buffer`, the line `lineno`.
// Escaped names ("\\a//b ") run to the next blank and are kept whole.
void remove_comments(std::istream& file, siz_t& lineno, std::string& buffer) {
  // Most lines open nothing: two quick searches spare them the scan.
  if (buffer.find('/') == std::string::npos && buffer.find('(') == std::string::npos) return;
  for (std::size_t i = 0; i + 1 < buffer.size(); ++i) {
    const char c = buffer[i], next = buffer[i + 1];
    if (c == '\\') {
      while (i + 1 < buffer.size() && !is_blank(buffer[i + 1])) ++i;
    } else if (c == '/' && next == '/') {
      buffer.resize(i);
    } else if (c == '/' && next == '*') {
      blank_out(file, lineno, buffer, i, "*/");
    } else if (c == '(' && next == '*' && (i + 2 == buffer.size() || buffer[i + 2] != ')')) {
      blank_out(file, lineno, buffer, i, "*)");  // "@(*)" is no attribute
    }
  }
}

}  // namespace

std::string_view read_next_line(std::istream& file, siz_t& lineno, std::string& buffer) {
  while (std::getline(file, buffer, file.widen('\n'))) {
    ++lineno;
    remove_comments(file, lineno, buffer);
    const std::string_view line = util::string::trim(buffer);
    if (!line.empty()) return line;
  }
  return {};
}

siz_t read_full_line(std::istream& file, siz_t& lineno, char delim, std::string& buffer,
                     std::string& statement) {
  statement.clear();
  siz_t first = 0;
  do {
    const std::string_view line = read_next_line(file, lineno, buffer);
    if (line.empty()) return first;
    if (first == 0) first = lineno;
    statement += ' ';
    statement += line;
  } while (statement.back() != delim);
  return first;
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
