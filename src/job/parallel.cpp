#include "job/parallel.hpp"

#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>

#include "job/files.hpp"
#include "job/process.hpp"
#include "job/shell_quote.hpp"
#include "util/output_file.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

void forget_pending_in_joblog(const fs::path& dir, const std::vector<pending_worker>& pending) {
  const fs::path joblog = dir / "joblog";
  if (is_file(joblog) && !pending.empty())
    util::write_file(joblog, forget_pending(file_text(joblog), pending));
}

// A progress bar on a terminal, which the workers' "done" lines would break up.
bool shows_bar() { return isatty(STDOUT_FILENO) && isatty(STDERR_FILENO); }

std::vector<std::string> parallel_command(const recorded_job& job, const parallel_settings& settings,
                                          const tools& tools) {
  std::vector<std::string> command = {tools.parallel.string(),       "--will-cite",     "--joblog",
                                      (job.dir / "joblog").string(), "--resume-failed", "--jobs",
                                      concat(settings.jobs)};
  if (!settings.hosts.empty()) command.insert(command.end(), {"--sshloginfile", settings.hosts});
  if (const char* threads = std::getenv("OMP_NUM_THREADS"); threads != nullptr && *threads != '\0')
    command.insert(command.end(), {"--env", "OMP_NUM_THREADS"});
  if (shows_bar()) command.push_back("--bar");
  command.push_back(
      concat(shell_quote(tools.job_program.string()), " worker ", shell_quote(job.dir.string()), " {}"));
  return command;
}

// Gives GNU parallel every worker number, one per line; it skips those its job log records as done.
void feed_worker_numbers(child& parallel, std::uint64_t workers) {
  constexpr std::size_t chunk = 1 << 16;
  std::string lines;
  for (std::uint64_t w = 0; w < workers; ++w) {
    lines += std::to_string(w) + '\n';
    if (lines.size() >= chunk) {
      if (!parallel.write_input(lines)) return;
      lines.clear();
    }
  }
  parallel.write_input(lines);
}

}  // namespace

void run_pending_workers(const recorded_job& job, const std::vector<pending_worker>& pending,
                         const parallel_settings& settings, const tools& tools) {
  forget_pending_in_joblog(job.dir, pending);
  child parallel(parallel_command(job, settings, tools),
                 {.feed_input = true, .out = shows_bar() ? sink::discard : sink::inherit});
  feed_worker_numbers(parallel, job.params.workers);
  parallel.finish();
}

std::string forget_pending(const std::string& joblog, const std::vector<pending_worker>& pending) {
  std::set<std::string> sequence_numbers;
  for (const pending_worker& worker : pending) sequence_numbers.insert(concat(worker.number + 1));
  std::string kept;
  bool header = true;
  for (const std::string_view line : util::string::lsplit_all(joblog, "\n")) {
    if (header || !sequence_numbers.contains(std::string(util::string::lsplit(line, "\t"))))
      kept += concat(line, '\n');
    header = false;
  }
  return kept;
}

}  // namespace job
