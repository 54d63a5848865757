#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace fuzz {

// A file of this process in the temporary directory that the code under test reads, rewritten for
// every input: the readers and join take paths, as the programs give them.
class scratch_file {
 public:
  explicit scratch_file(std::string_view name)
      : path_(std::filesystem::temp_directory_path() /
              ("infoloss-fuzz-" + std::to_string(::getpid()) + "-" + std::string(name))) {}
  scratch_file(const scratch_file&) = delete;
  scratch_file& operator=(const scratch_file&) = delete;
  ~scratch_file() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  // Replaces the file's contents with `text`; returns its path.
  const std::filesystem::path& write(std::string_view text) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    return path_;
  }

 private:
  std::filesystem::path path_;
};

// The fuzzer's input as text.
inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz
