#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "job/job_file.hpp"
#include "job/tools.hpp"
#include "job/worker_state.hpp"

// GNU parallel as the local driver's engine: it runs "infoloss-job worker JOBDIR W" for the workers,
// J at a time on this machine or on the machines of a host list, and keeps a job log.
namespace job {

// How GNU parallel runs the workers.
struct parallel_settings {
  std::string hosts;       // its --sshloginfile, or ""
  std::uint64_t jobs = 1;  // workers at a time per machine (1: every fullsim uses all cores)
};

// Runs every worker of the job without a complete result through GNU parallel, after removing those
// workers' records from its job log: --resume-failed skips a worker recorded as successful, but only
// the result files tell whether it still has a complete result ("out-of-time" is a successful exit).
void run_pending_workers(const recorded_job& job, const std::vector<pending_worker>& pending,
                         const parallel_settings& settings, const tools& tools);

// The job log's text without the records of the pending workers (GNU parallel numbers them from 1).
std::string forget_pending(const std::string& joblog, const std::vector<pending_worker>& pending);

}  // namespace job
