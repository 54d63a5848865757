#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The job file, JOBDIR/job: one "key<TAB>value" line per parameter of the job, the fullsim options
// one word per line ("option" for those that decide the counts, "run-option" for the others).
namespace job {

// The parameters of a job. A job directory holds one set for its whole life; only the run options,
// the target error and (in rounds) the replicates change from one run to the next.
struct parameters {
  std::filesystem::path netlist;  // absolute
  std::string checksum;           // the netlist's SHA-256, so that an edited netlist is noticed
  std::uint64_t workers = 0;      // 2^sel_bits, or the replicates of a sampled job so far
  bool sampled = false;           // the workers are independent replicates (-samples)
  std::string sampling;           // a sampled job's -sampling (independent or batch)
  std::uint64_t round = 0;        // a sampled job's -replicates: its first round, the least of later ones
  std::string target_error;       // -target-error as given, or empty
  std::vector<std::string> fixed_options;  // fullsim options that may change the counts
  std::vector<std::string> run_options;    // fullsim options that do not (see is_run_option)
};

// A job recorded in its directory.
struct recorded_job {
  std::filesystem::path dir;  // absolute
  parameters params;
};

// The sel bits that split the input space among the workers of an exhaustive job; 0 for replicates.
unsigned sel_bits(const parameters& params);

// The text of the job file that records `params`.
std::string job_text(const parameters& params);

// Reads a job file. A file without "sampling" (written before the kind was recorded) samples
// batches, one without "round" ran a single round. Throws `util::input_error` when the file cannot
// be read or holds an unknown line, a count that is not a positive number, a bad target error, or
// no netlist or worker count.
parameters read_job_file(const std::filesystem::path& file);

// Writes DIR/job so that it appears complete or not at all; refuses (exit status 2) when it cannot.
void write_job_file(const std::filesystem::path& dir, const parameters& params);

// The job recorded in `dir` (absolute); refuses (exit status 2) a directory without a job or with
// a malformed job file.
recorded_job load_job(const std::filesystem::path& dir);

// The value that follows the first `option` in a list of option words, if any.
std::optional<std::string> option_value(const std::vector<std::string>& words, std::string_view option);

// The value of a target error: a positive decimal number ("1e-4", "0.001"), else nothing.
std::optional<double> target_error_value(std::string_view text);

}  // namespace job
