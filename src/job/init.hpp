#pragma once

#include <string>
#include <vector>

#include "job/arguments.hpp"
#include "job/tools.hpp"

// Starting a job: its arguments checked, and the job recorded in its directory.
namespace job {

// Checks the job's arguments (as infoloss-job's command line: NETLIST, -workers or -samples and
// -replicates, -dir, with `driver` -hosts and -jobs, fullsim options), lets fullsim read the netlist
// with the job's options, and records the job in its directory, or checks that the job recorded
// there is this one. Run options and the target error may differ: the new ones apply from now on
// (the run options with a warning on standard error). Refuses (exit status 2) anything else.
job_run init(const std::vector<std::string>& arguments, const tools& tools, bool driver);

// Lets fullsim read the netlist with the job's options (it refuses bad ones) and checks that the
// netlist's inputs can be split among the workers; refuses (exit status 2) otherwise.
void check_split(const recorded_job& job, const tools& tools);

// Records a new job in its directory, which must be new or empty, or replaces `job`'s parameters
// with those of the job recorded there, which must be the same job.
void record_job(recorded_job& job);

}  // namespace job
