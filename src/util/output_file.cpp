#include "util/output_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "util/string.hpp"

namespace util {

namespace fs = std::filesystem;

namespace {

enum class target_kind {
  unusable,  // a directory, or a path without a file name
  special,   // an existing device, pipe or socket: written directly
  regular,   // a regular file or nothing yet: replaced by a renamed temporary file
};

target_kind classify(const fs::path& target) {
  std::error_code error;
  const auto status = fs::status(target, error);  // follows symbolic links
  if (target.filename().empty() || fs::is_directory(status)) {
    return target_kind::unusable;
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return target_kind::special;
  }
  return target_kind::regular;
}

// Where a regular target's contents belong: the destination of a symbolic link, else the target.
fs::path destination_of(const fs::path& target) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(target, error))) {
    return target;
  }
  const fs::path resolved = fs::canonical(target, error);
  return error ? target : resolved;
}

}  // namespace

file_not_writable::file_not_writable(const fs::path& path)
    : resource_error(string::concat("Could not write file `", path, "`.")) {}

file_not_writable::~file_not_writable() = default;

output_file::output_file(const fs::path& target) : target_(target), destination_(destination_of(target)) {
  switch (classify(target)) {
    case target_kind::unusable:
      throw file_not_writable(target_);
    case target_kind::special:
      // Appending never truncates what a device or a redirected stream already holds.
      stream_.open(target, std::ios::out | std::ios::app);
      break;
    case target_kind::regular:
      create_temporary();
      stream_.open(temporary_, std::ios::out | std::ios::trunc);
      break;
  }
  if (!stream_.is_open()) {
    std::error_code error;
    if (!temporary_.empty()) {
      fs::remove(temporary_, error);
    }
    throw file_not_writable(target_);
  }
}

output_file::~output_file() {
  if (!temporary_.empty()) {
    stream_.close();
    std::error_code error;
    fs::remove(temporary_, error);
  }
}

void output_file::commit() {
  if (committed_) {
    return;
  }
  stream_.flush();
  const bool written = stream_.good();
  stream_.close();
  if (!written || stream_.fail()) {
    throw file_not_writable(target_);
  }
  if (!temporary_.empty()) {
    std::error_code error;
    fs::rename(temporary_, destination_, error);
    if (error) {
      throw file_not_writable(target_);
    }
    temporary_.clear();
  }
  committed_ = true;
}

void output_file::check_writable(const fs::path& target) {
  if (classify(target) == target_kind::special) {
    if (access(target.c_str(), W_OK) != 0) {
      throw file_not_writable(target);
    }
    return;  // opening a pipe here would show its reader an early end
  }
  output_file probe(target);  // creates the temporary file, and removes it again
}

void output_file::create_temporary() {
  static std::uint64_t counter = 0;
  // Hidden, unique within the process, and short enough for any file-name length limit.
  const std::string prefix =
      string::concat(".", destination_.filename().string().substr(0, 200), ".", getpid(), ".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = destination_.parent_path() / string::concat(prefix, counter++, ".tmp");
    const int descriptor = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      close(descriptor);
      temporary_ = std::move(candidate);
      // A replaced file keeps its permissions, as it would when overwritten in place.
      std::error_code error;
      const auto existing = fs::status(destination_, error);
      if (fs::is_regular_file(existing)) {
        fs::permissions(temporary_, existing.permissions(), error);
      }
      return;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  throw file_not_writable(target_);
}

void write_file(const fs::path& target, std::string_view text) {
  output_file file(target);
  file.stream() << text;
  file.commit();
}

}  // namespace util
