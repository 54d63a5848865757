#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

// The errors that end a run, by whose fault: the command line (usage_error), an input file
// (input_error) or the machine (resource_error). `run_program` gives each kind its exit status;
// a `status_error` carries its own.
namespace util {

// A command line or option value that the program cannot use (exit status 2).
class usage_error : public std::runtime_error {
 public:
  explicit usage_error(const std::string& message);
  ~usage_error() override;
};

// An input file that cannot be read or is malformed (exit status 3). Its text is
// "FILE: Line N: message", where the file is left out when empty and the line when 0.
class input_error : public std::runtime_error {
 public:
  explicit input_error(std::string_view message, std::uint64_t line = 0,
                       const std::filesystem::path& file = {});
  ~input_error() override;

  // The 1-based line the error concerns, or 0.
  std::uint64_t line() const { return line_; }
  // The file the error concerns, or an empty path when the text does not name it.
  const std::filesystem::path& file() const { return file_; }

 private:
  std::uint64_t line_;
  std::filesystem::path file_;
};

// Memory, result files or another resource of the machine that failed the run (exit status 4).
class resource_error : public std::runtime_error {
 public:
  explicit resource_error(const std::string& message);
  ~resource_error() override;
};

// An error that ends a run with an exit status of its own, for a program whose statuses are not
// the ones above (the job driver's: 1 incomplete, 2 refused, 3 join failed).
class status_error : public std::runtime_error {
 public:
  status_error(int status, const std::string& message);
  ~status_error() override;

  // The exit status that the run ends with.
  int status() const { return status_; }

 private:
  int status_;
};

}  // namespace util
