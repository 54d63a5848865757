#include "job/files.hpp"

#include <fstream>
#include <iterator>

#include "job/process.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;

fs::path absolute_path(const fs::path& path) {
  std::error_code error;
  const fs::path normal = fs::absolute(path, error).lexically_normal();
  const std::string text = normal.string();
  return text.size() > 1 && text.ends_with('/') ? fs::path(text.substr(0, text.size() - 1)) : normal;
}

bool is_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

std::string file_text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::string(util::string::rtrim(text, "\n"));
}

std::string first_line(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string last_line_starting(const fs::path& file, std::string_view prefix) {
  std::ifstream in(file, std::ios::binary);
  std::string line, last;
  while (std::getline(in, line))
    if (line.starts_with(prefix)) last = line;
  return last;
}

std::string sha256(const fs::path& file) {
  const child_result sum = run_child({"sha256sum"}, {.input = file, .out = sink::capture});
  return sum.status == 0 ? std::string(util::string::lsplit(sum.output, " ")) : "";
}

}  // namespace job
