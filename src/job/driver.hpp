#pragma once

#include <vector>

#include "job/arguments.hpp"
#include "job/tools.hpp"
#include "job/worker_state.hpp"

// The local driver: a job's workers through GNU parallel, then the join.
namespace job {

// Runs a recorded job under its lock: every worker without a complete result, then the join; with
// a target error, rounds of replicates (see run_rounds). Returns exit status 0, or 1 when the
// rounds' time limit came first; throws status 1 for workers left without a complete result, 2 when
// another driver runs the job, 3 when the join fails.
int run(job_run& run, const tools& tools);

// Prints "job DIR: N workers of NETLIST, K to run" and runs the K workers through GNU parallel;
// returns the workers still without a complete result.
std::vector<pending_worker> run_round(const job_run& run, const tools& tools);

// Throws exit status 1 for workers left without a complete result.
[[noreturn]] void stop_incomplete(const std::vector<pending_worker>& pending, std::uint64_t workers);

}  // namespace job
