#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "util/argparse/base.hpp"

// Where a report's data come from: a job directory of infoloss-job, or join's files and the netlist
// named on the command line.
namespace report {

// How the counts behind the results were made.
struct counting_method {
  enum class kind { enumeration, decision_diagrams, sampling };
  kind how = kind::enumeration;
  std::uint64_t samples = 0;     // batches per replicate, when sampled
  std::uint64_t replicates = 1;  // independent replicates, when sampled
};

// The method in words: "enumeration (exact)", "decision diagrams (exact)" or "sampling with N
// batches × R replicates".
std::string describe(const counting_method& method);

// The method that a list of fullsim options selects: "-method bdd" decision diagrams, "-samples N"
// (with "-replicates R") sampling, otherwise enumeration. Throws `util::exception` for a count that
// is not a number.
counting_method method_of_options(const std::vector<std::string>& words);

// One worker of a job and how it ended.
struct worker_record {
  std::uint64_t number = 0;
  std::string state;              // "done", "out-of-time", "failed", "count file missing" or "not run"
  std::optional<double> seconds;  // the worker's whole run, when it recorded it
};

// Everything a report reads.
struct sources {
  std::filesystem::path netlist;
  std::string filetype;                              // "" lets the extension decide
  std::filesystem::path energy;                      // name,energy[,std-error]
  std::filesystem::path entropy;                     // name,in-entropy,out-entropy
  std::filesystem::path total;                       // the total energy
  std::optional<std::filesystem::path> total_error;  // the total's standard error, when sampled
  counting_method method;
  std::optional<std::filesystem::path> job;  // the job directory, for a job's report
  std::vector<worker_record> workers;        // a job's workers, in number order
  std::filesystem::path page;                // the HTML page to write
};

// The sources the command line names. For a job directory, reads its job file and its workers'
// state files (throws `util::input_error` for a malformed job file, `file_error` for a job not
// joined); otherwise "-energy", "-entropy" and "-total" are required (throws `util::exception` when
// missing, or when given with a job).
sources sources_of(const util::argparse::params& args);

}  // namespace report
