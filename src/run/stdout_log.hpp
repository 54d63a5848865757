#pragma once

#include <filesystem>

namespace run {

// While it lives, this process's standard output (and what the programs it starts write there)
// goes to the end of a log file instead: the job's own console lines, which the run's summary
// replaces. Standard error stays, so that every error is still seen.
class stdout_log {
 public:
  explicit stdout_log(const std::filesystem::path& log);
  stdout_log(const stdout_log&) = delete;
  stdout_log& operator=(const stdout_log&) = delete;
  ~stdout_log();

 private:
  int saved_ = -1;  // the standard output it replaced
};

}  // namespace run
