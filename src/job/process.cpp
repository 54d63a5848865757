#include "job/process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <system_error>
#include <thread>

#include "job/error.hpp"
#include "util/string.hpp"

namespace job {

namespace {

using util::string::concat;

// Writes a message on the child's standard error and ends the child: after fork, only the exec
// may start anything new.
[[noreturn]] void fail_in_child(std::string_view what, std::string_view name, int status) {
  const std::string message =
      concat(program_name, ": cannot ", what, ' ', name, ": ", std::strerror(errno), '\n');
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message.data(), message.size());
  _exit(status);
}

// In the child: opens `file` and puts it in place of the descriptor `target`.
void redirect(const char* file, int flags, int target) {
  const int descriptor = open(file, flags | O_CLOEXEC, 0666);
  if (descriptor < 0 || dup2(descriptor, target) < 0) fail_in_child("open", file, 1);
}

void connect_output(sink to, int capture, int target) {
  if (to == sink::discard) redirect("/dev/null", O_WRONLY, target);
  if (to == sink::capture && dup2(capture, target) < 0) fail_in_child("redirect", "output", 1);
}

// In the child: connects the standard streams and runs the command.
[[noreturn]] void start(char* const* argv, const child_setup& setup, int input, int capture) {
  if (setup.feed_input && dup2(input, STDIN_FILENO) < 0) fail_in_child("redirect", "input", 1);
  if (!setup.input.empty()) redirect(setup.input.c_str(), O_RDONLY, STDIN_FILENO);
  if (!setup.directory.empty() && chdir(setup.directory.c_str()) != 0)
    fail_in_child("change to", setup.directory.c_str(), 1);
  if (!setup.log.empty()) {
    redirect(setup.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    if (dup2(STDOUT_FILENO, STDERR_FILENO) < 0) fail_in_child("redirect", "output", 1);
  } else {
    connect_output(setup.out, capture, STDOUT_FILENO);
    connect_output(setup.err, capture, STDERR_FILENO);
  }
  execvp(argv[0], argv);
  fail_in_child("run", argv[0], errno == ENOENT ? 127 : 126);
}

void make_pipe(int (&ends)[2]) {
  if (pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
}

void close_if_open(int& descriptor) {
  if (descriptor >= 0) close(descriptor);
  descriptor = -1;
}

// The exit status of a child as a shell gives it.
int shell_status(int wait_status) {
  return WIFSIGNALED(wait_status) ? 128 + WTERMSIG(wait_status) : WEXITSTATUS(wait_status);
}

int wait_for(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
  return shell_status(status);
}

}  // namespace

child::child(const std::vector<std::string>& command, const child_setup& setup) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int input[2] = {-1, -1}, capture[2] = {-1, -1};
  if (setup.feed_input) make_pipe(input);
  if (setup.log.empty() && (setup.out == sink::capture || setup.err == sink::capture)) make_pipe(capture);
  std::cout.flush();
  std::cerr.flush();
  pid_ = fork();
  if (pid_ == 0) start(argv.data(), setup, input[0], capture[1]);
  const int error = errno;
  close_if_open(input[0]);
  close_if_open(capture[1]);
  input_ = input[1];
  capture_ = capture[0];
  if (pid_ < 0) {
    close_if_open(input_);
    close_if_open(capture_);
    throw std::system_error(error, std::generic_category(), "fork");
  }
}

child::~child() {
  if (pid_ > 0) {
    close_if_open(input_);
    close_if_open(capture_);
    waitpid(pid_, nullptr, 0);
  }
}

bool child::write_input(std::string_view text) {
  // A child that stopped reading must not end this process by SIGPIPE.
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);
  while (!text.empty()) {
    const ssize_t written = write(input_, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  sigaction(SIGPIPE, &previous, nullptr);
  return text.empty();
}

child_result child::finish() {
  close_if_open(input_);
  child_result result;
  if (capture_ >= 0) {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(capture_, buffer, sizeof buffer)) != 0) {
      if (got > 0)
        result.output.append(buffer, static_cast<std::size_t>(got));
      else if (errno != EINTR)
        break;
    }
    close_if_open(capture_);
  }
  result.status = wait_for(pid_);
  pid_ = -1;
  return result;
}

child_result child::finish_within(double seconds) {
  close_if_open(input_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (ended == 0) kill(pid_, SIGKILL);
  child_result result;
  result.status = ended > 0 ? shell_status(status) : wait_for(pid_);
  pid_ = -1;
  return result;
}

child_result run_child(const std::vector<std::string>& command, const child_setup& setup) {
  return child(command, setup).finish();
}

}  // namespace job
