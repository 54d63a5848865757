#pragma once

#include "job/job_file.hpp"
#include "job/tools.hpp"

// The end of a job: its workers' count files joined into its results.
namespace job {

// Joins the count files of a complete job, in worker order, into JOBDIR/energy.csv, entropy.csv
// and total (a sampled job's as replicates: energy.csv with each gate's standard error, and the
// total's in total-error), and prints what it wrote and the total. Throws exit status 1 when a
// worker has no complete result, 3 when join fails.
void join(const recorded_job& job, const tools& tools);

}  // namespace job
