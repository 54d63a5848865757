#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The paths of a job and the small text files that its programs leave in its directory. A file that
// does not exist or cannot be read reads as empty: the caller judges its absence.
namespace job {

// The path made absolute without "." and ".." and without a trailing "/", symbolic links kept (as
// "realpath -s -m"): the job records paths that stay valid from another working directory.
std::filesystem::path absolute_path(const std::filesystem::path& path);

// Whether the path names a regular file (following symbolic links), as the shell's "test -f".
bool is_file(const std::filesystem::path& path);

// The file's text without its trailing line breaks, as the shell's "$(< FILE)".
std::string file_text(const std::filesystem::path& file);

// The file's first line, without its line break.
std::string first_line(const std::filesystem::path& file);

// The file's last line that begins with `prefix` (a program's messages in a log), or "".
std::string last_line_starting(const std::filesystem::path& file, std::string_view prefix);

// The file's SHA-256 in hexadecimal digits (by sha256sum), or "" when it cannot be read.
std::string sha256(const std::filesystem::path& file);

}  // namespace job
