#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_file.hpp"
#include "job/tools.hpp"

// One worker of a job: fullsim on its share of the input space, or on its replicate, writing its
// results into the job directory as worker-W.csv, .status, .progress, .time and .log.
namespace job {

// Worker W's number, from text, one of the job's; refuses (exit status 2) anything else.
std::uint64_t worker_number(const recorded_job& job, std::string_view text);

// Worker W's fullsim command: its share (-sel-bits and -worker, or -replicate and -sampling), its
// result files, the job's fixed options and its run options, except that in a round of
// -target-error its -limit-time is the time left until the rounds' deadline.
std::vector<std::string> worker_command(const recorded_job& job, std::uint64_t worker,
                                        const std::filesystem::path& fullsim);

// The line that "worker JOBDIR W -dry-run" prints: the command quoted for a shell, then its log's
// redirection (as the Slurm scripts print each array task's command).
std::string dry_run_line(const recorded_job& job, std::uint64_t worker, const std::filesystem::path& fullsim);

// Runs worker W unless its result is complete, and prints "worker W: done" (or "done (earlier
// run)"); returns exit status 0, or 1 after saying on standard error why it has no complete result.
// Refuses (exit status 2) when the netlist is unreadable or no longer the job's.
int run_worker(const recorded_job& job, std::uint64_t worker, const tools& tools);

// Why worker W has no complete result after fullsim ended with exit status `status`, and where
// its log is.
std::string worker_failure(const std::filesystem::path& dir, std::uint64_t worker, int status);

}  // namespace job
