#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Child processes of the job driver: the tools it asks, the workers' fullsim, join, GNU parallel.
namespace job {

// Where a child's standard output or standard error goes, unless it writes a log.
enum class sink {
  inherit,  // ours
  discard,  // /dev/null
  capture,  // a pipe that `child::finish` reads (both streams captured: one pipe)
};

// How a child starts: its standard streams and its working directory.
struct child_setup {
  std::filesystem::path input{};      // the file its standard input reads; empty: ours
  bool feed_input = false;            // its standard input is a pipe that `child::write_input` writes
  std::filesystem::path log{};        // its standard output and error both go to this file, truncated
  sink out = sink::inherit;           // without a log: its standard output
  sink err = sink::inherit;           // without a log: its standard error
  std::filesystem::path directory{};  // where it runs; empty: here
};

// How a child ended: its exit status as a shell gives it (the program's own, 128 + the signal that
// killed it, 126 or 127 when it could not be started) and what it wrote to the captured streams.
struct child_result {
  int status = 0;
  std::string output;
};

// A running child process. The command's first word is the program: a path, or a name looked up on
// PATH. Our standard streams are flushed before it starts, so that its output follows ours.
class child {
 public:
  child(const std::vector<std::string>& command, const child_setup& setup);
  child(const child&) = delete;
  child& operator=(const child&) = delete;
  // Waits for a child that was not finished.
  ~child();

  // Writes to the child's standard input (`feed_input`); false once the child closed it.
  bool write_input(std::string_view text);

  // Closes the child's standard input, reads the captured output to its end and waits for the child.
  child_result finish();
  // As `finish`, but a child still running after `seconds` is killed (SIGKILL), for work that cannot
  // stop itself in time. Only for a child whose output is not captured.
  child_result finish_within(double seconds);

 private:
  pid_t pid_ = -1;
  int input_ = -1;    // our end of the input pipe
  int capture_ = -1;  // our end of the capture pipe
};

// Runs a command to its end.
child_result run_child(const std::vector<std::string>& command, const child_setup& setup = {});

}  // namespace job
