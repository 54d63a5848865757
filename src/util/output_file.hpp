#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

#include "util/error.hpp"

namespace util {

// A result file that cannot be created or written: "Could not write file `PATH`." (the path
// quoted the way std::filesystem::path writes itself).
class file_not_writable : public resource_error {
 public:
  explicit file_not_writable(const std::filesystem::path& path);
  ~file_not_writable() override;
};

// Writes one result file so that it appears only when complete: the text goes to a hidden
// temporary file beside the target, and `commit` renames it into place. A file never committed
// (an error ended the run) leaves nothing behind and an older file of that name untouched.
// A target that exists and is not a regular file (/dev/null, /dev/stdout, a pipe) is written
// directly. A symbolic link to a regular file is written through: its destination is replaced.
class output_file {
 public:
  // Opens the temporary file. Throws `file_not_writable` when it cannot be created.
  explicit output_file(const std::filesystem::path& target);
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;
  // Removes the temporary file unless committed.
  ~output_file();

  // The stream to write the contents to.
  std::ostream& stream() { return stream_; }

  // Flushes and closes the file and moves it into place. Throws `file_not_writable` when any
  // write failed (a full disk) or the rename is refused.
  void commit();

  // Throws `file_not_writable` unless the target can be written, leaving nothing behind: lets a
  // long run refuse an unwritable result path before it starts computing.
  static void check_writable(const std::filesystem::path& target);

 private:
  // Creates an empty temporary file beside `destination_` and stores its name.
  void create_temporary();

  std::filesystem::path target_;       // as given, for messages
  std::filesystem::path destination_;  // where the file ends up (a link's destination)
  std::filesystem::path temporary_;    // empty when writing directly or after the commit
  std::ofstream stream_;
  bool committed_ = false;
};

// Writes a whole result file at once through an `output_file`.
void write_file(const std::filesystem::path& target, std::string_view text);

}  // namespace util
