#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "job/arguments.hpp"
#include "job/tools.hpp"

// The rounds of a sampled job with -target-error: replicates run and joined round after round until
// the total's relative standard error is below the target, or this run's -limit-time has passed.
namespace job {

// Runs the rounds: each runs the replicates without a complete result and joins them all; while the
// target is not reached, the job grows by whole rounds. The workers get the time left until the
// deadline as their -limit-time, so that a round cut short leaves its replicates for a later run.
// Says how the rounds ended on standard output and in JOBDIR/target; returns exit status 0 when the
// target was reached, else 1. Throws as `run` does.
int run_rounds(job_run& run, const tools& tools);

// The joined total's relative standard error |error / total| with 3 significant digits ("inf" for
// a total of 0 with an error), from the texts of JOBDIR/total and JOBDIR/total-error.
std::string relative_error(std::string_view total, std::string_view error);

// The replicates after a round's growth: as many as the error's fall as 1/sqrt(replicates) says the
// target needs, in whole rounds, at least one; at most twice as many as now, so that a rough early
// error cannot start an endless round; at most 2^32.
std::uint64_t grown_replicates(std::uint64_t replicates, std::uint64_t round, double error, double target);

}  // namespace job
