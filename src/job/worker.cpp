#include "job/worker.hpp"

#include <unistd.h>

#include <iostream>

#include "job/arguments.hpp"
#include "job/deadline.hpp"
#include "job/error.hpp"
#include "job/files.hpp"
#include "job/process.hpp"
#include "job/shell_quote.hpp"
#include "job/worker_state.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

// The job's run options for a worker: in a round of -target-error, -limit-time is the time left.
std::vector<std::string> worker_run_options(const std::vector<std::string>& run_options) {
  const auto deadline = rounds_deadline();
  std::vector<std::string> words;
  for (std::size_t i = 0; i < run_options.size(); ++i) {
    if (deadline && run_options[i] == "-limit-time" && i + 1 < run_options.size()) {
      words.insert(words.end(), {"-limit-time", time_left(*deadline)});
      ++i;
    } else {
      words.push_back(run_options[i]);
    }
  }
  return words;
}

// Refuses to run a worker on a netlist that is not the one the job began with.
void check_netlist(const parameters& params, std::uint64_t worker) {
  if (access(params.netlist.c_str(), R_OK) != 0)
    refuse(concat("worker ", worker, ": cannot read the netlist ", params.netlist.string()));
  if (sha256(params.netlist) != params.checksum)
    refuse(concat("worker ", worker, ": ", params.netlist.string(),
                  " differs from the netlist the job began with"));
}

// Removes what an earlier attempt left: its result must never pass for this attempt's.
void remove_results(const fs::path& dir, std::uint64_t worker) {
  for (const char* extension : {"csv", "status", "progress", "time"}) {
    std::error_code error;
    fs::remove(worker_file(dir, worker, extension), error);
  }
}

}  // namespace

std::uint64_t worker_number(const recorded_job& job, std::string_view text) {
  const auto worker = decimal_number(text);
  if (!worker || *worker >= job.params.workers)
    refuse(concat("worker '", text, "' is not one of 0 to ", job.params.workers - 1));
  return *worker;
}

std::vector<std::string> worker_command(const recorded_job& job, std::uint64_t worker,
                                        const fs::path& fullsim) {
  const parameters& params = job.params;
  const auto file = [&](std::string_view extension) {
    return worker_file(job.dir, worker, extension).string();
  };
  std::vector<std::string> command = {fullsim.string(), params.netlist.string()};
  if (params.sampled) {
    command.insert(command.end(), {"-replicate", concat(worker), "-sampling", params.sampling});
  } else {
    command.insert(command.end(), {"-sel-bits", concat(sel_bits(params)), "-worker", concat(worker)});
  }
  command.insert(command.end(), {"-o", file("csv"), "-save-status", file("status"), "-save-progress",
                                 file("progress"), "-save-full-time", file("time")});
  command.insert(command.end(), params.fixed_options.begin(), params.fixed_options.end());
  const std::vector<std::string> run_options = worker_run_options(params.run_options);
  command.insert(command.end(), run_options.begin(), run_options.end());
  return command;
}

std::string dry_run_line(const recorded_job& job, std::uint64_t worker, const fs::path& fullsim) {
  return concat(shell_quote(worker_command(job, worker, fullsim)), " > ",
                shell_quote(worker_file(job.dir, worker, "log").string()), " 2>&1");
}

int run_worker(const recorded_job& job, std::uint64_t worker, const tools& tools) {
  const std::vector<std::string> command = worker_command(job, worker, tools.fullsim);
  if (read_worker_state(job.dir, worker) == done) {
    std::cout << "worker " << worker << ": done (earlier run)\n";
    return exit_status::complete;
  }
  check_netlist(job.params, worker);
  remove_results(job.dir, worker);
  const int status = run_child(command, {.log = worker_file(job.dir, worker, "log")}).status;
  if (status == 0 && read_worker_state(job.dir, worker) == done) {
    std::cout << "worker " << worker << ": done\n";
    return exit_status::complete;
  }
  std::cerr << program_name << ": " << worker_failure(job.dir, worker, status) << '\n';
  return exit_status::incomplete;
}

std::string worker_failure(const fs::path& dir, std::uint64_t worker, int status) {
  std::string reason;
  if (status > 128) {
    reason = concat("fullsim was killed by signal ", status - 128);
  } else if (status != 0) {
    reason = concat("fullsim ended with exit status ", status);
  } else if (read_worker_state(dir, worker) == "out-of-time") {
    reason =
        concat("it ran out of time after ", first_line(worker_file(dir, worker, "progress")), " batches");
  } else {
    reason = "fullsim left no complete result";
  }
  const fs::path log = worker_file(dir, worker, "log");
  const std::string message = last_line_starting(log, "fullsim: ");
  return concat("worker ", worker, ": ", reason, message.empty() ? "" : concat(" (", message, ")"), "; see ",
                log.string());
}

}  // namespace job
