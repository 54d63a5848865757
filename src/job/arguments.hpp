#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_file.hpp"
#include "job/parallel.hpp"

// A job's command line: "NETLIST (-workers N | -samples S -replicates R [-target-error E]) -dir JOBDIR
// [-hosts FILE] [-jobs J] [fullsim options...]", sorted and checked before anything starts.
namespace job {

// The command line sorted: each value as given, "" when absent.
struct job_arguments {
  std::string netlist;
  std::string workers;
  std::string replicates;
  std::string sampling;
  std::string target_error;
  std::string dir;
  std::string hosts;
  std::string jobs = "1";
  std::vector<std::string> fixed_options;  // fullsim options that may change the counts
  std::vector<std::string> run_options;    // fullsim options that do not (is_run_option)
};

// A job and how the local driver runs it this time.
struct job_run {
  recorded_job job;  // as checked arguments ask for it, its sampling as given ("" keeps a recorded
                     // job's; a new one samples independent patterns), or as recorded
  parallel_settings driver;
};

// Whether the fullsim option only decides how a worker runs, not the counts it writes, so that it
// may change from one run of a job to the next (a larger time limit for the workers that ran out).
bool is_run_option(std::string_view option);

// fullsim's flags (the options without a value), from its usage summary.
std::vector<std::string> fullsim_flags(const std::filesystem::path& fullsim);

// Sorts the command line into the job's values and its fixed and run options (fullsim's `flags`
// take no value). Exhaustive jobs get "-use-bits auto" unless the options give -use-bits: without it
// a worker would simulate all its inputs in one batch, and each machine picks a size that suits it.
// Refuses (exit status 2) the options that the job sets itself or that would make the workers clash,
// and -hosts and -jobs unless `driver` (the local driver's, not init's).
job_arguments parse_job_arguments(const std::vector<std::string>& words,
                                  const std::vector<std::string>& flags, bool driver);

// Checks what needs no fullsim run and gives the job that the arguments ask for: the paths absolute, the
// netlist's checksum, the worker count from -workers (a power of two) or -replicates (2 to 2^32); a sampled
// job's -use-bits moves to the fixed options, as it decides the sample. Refuses (exit status 2) bad values.
job_run check_job_arguments(job_arguments args);

// A decimal number without leading zeros of at most 18 digits, as the job's counts are written.
std::optional<std::uint64_t> decimal_number(std::string_view text);

}  // namespace job
