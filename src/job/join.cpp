#include "job/join.hpp"

#include <iostream>
#include <string>
#include <vector>

#include "job/error.hpp"
#include "job/files.hpp"
#include "job/process.hpp"
#include "job/worker_state.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

// join's command: the count files named relative to the job directory, which keeps the command
// line short for many workers.
std::vector<std::string> join_command(const parameters& params, const fs::path& join) {
  std::vector<std::string> command = {join.string()};
  for (std::uint64_t w = 0; w < params.workers; ++w) command.push_back(concat("worker-", w, ".csv"));
  command.insert(command.end(),
                 {"-o", "energy.csv", "-save-entropy", "entropy.csv", "-save-energy", "total"});
  if (params.sampled) command.insert(command.end(), {"-replicates", "-save-energy-error", "total-error"});
  return command;
}

void print_results(const recorded_job& job) {
  const std::string energy = (job.dir / "energy.csv").string(), entropy = (job.dir / "entropy.csv").string();
  const std::string total = file_text(job.dir / "total");
  if (job.params.sampled) {
    std::cout << "joined " << job.params.workers << " replicates: energy per gate with its standard error in "
              << energy << ", entropies in " << entropy << '\n'
              << "total energy = " << total << " ± " << file_text(job.dir / "total-error")
              << " bits per input vector\n";
  } else {
    std::cout << "joined " << job.params.workers << " workers: energy per gate in " << energy
              << ", entropies in " << entropy << '\n'
              << "total energy = " << total << " bits per input vector\n";
  }
}

}  // namespace

void join(const recorded_job& job, const tools& tools) {
  const std::vector<pending_worker> pending = pending_workers(job.dir, job.params.workers);
  if (!pending.empty())
    throw error(exit_status::incomplete,
                concat("cannot join: ", describe_pending(pending, job.params.workers),
                       "; run the job again to resume it"));
  const fs::path log = job.dir / "join.log";
  if (run_child(join_command(job.params, tools.join), {.log = log, .directory = job.dir}).status != 0)
    throw error(exit_status::join_failed,
                concat("join failed: ", last_line_starting(log, "join: "), "; see ", log.string()));
  print_results(job);
}

}  // namespace job
