#include "job/driver.hpp"

#include <iostream>

#include "job/error.hpp"
#include "job/join.hpp"
#include "job/lock.hpp"
#include "job/parallel.hpp"
#include "job/rounds.hpp"
#include "util/string.hpp"

namespace job {

int run(job_run& run, const tools& tools) {
  const job_lock lock(run.job.dir);
  if (!run.job.params.target_error.empty()) return run_rounds(run, tools);
  const std::vector<pending_worker> pending = run_round(run, tools);
  if (!pending.empty()) stop_incomplete(pending, run.job.params.workers);
  join(run.job, tools);
  return exit_status::complete;
}

std::vector<pending_worker> run_round(const job_run& run, const tools& tools) {
  const recorded_job& job = run.job;
  const std::vector<pending_worker> pending = pending_workers(job.dir, job.params.workers);
  std::cout << "job " << job.dir.string() << ": " << job.params.workers
            << (job.params.sampled ? " replicates of " : " workers of ") << job.params.netlist.string()
            << ", " << pending.size() << " to run\n";
  if (pending.empty()) return pending;
  run_pending_workers(job, pending, run.driver, tools);
  return pending_workers(job.dir, job.params.workers);
}

void stop_incomplete(const std::vector<pending_worker>& pending, std::uint64_t workers) {
  throw error(exit_status::incomplete, util::string::concat(describe_pending(pending, workers),
                                                            "; run the same command again to resume"));
}

}  // namespace job
