#include "job/init.hpp"

#include <stdlib.h>
#include <unistd.h>

#include <iostream>

#include "job/error.hpp"
#include "job/files.hpp"
#include "job/process.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

// A new empty temporary file, removed again at the end of its scope.
class temporary_file {
 public:
  temporary_file() {
    std::string name = (fs::temp_directory_path() / "infoloss-job.XXXXXX").string();
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) refuse("cannot create a temporary file");
    close(descriptor);
    path_ = name;
  }
  temporary_file(const temporary_file&) = delete;
  temporary_file& operator=(const temporary_file&) = delete;
  ~temporary_file() {
    std::error_code error;
    fs::remove(path_, error);
  }

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) text += (i > 0 ? " " : "") + words[i];
  return text;
}

// The number of the netlist's inputs, from fullsim reading it with the job's options.
std::uint64_t netlist_inputs(const recorded_job& job, const tools& tools) {
  const parameters& params = job.params;
  const temporary_file count_file;
  std::vector<std::string> command = {tools.fullsim.string(), params.netlist.string(), "-no-eval",
                                      "-save-inputs", count_file.path().string()};
  command.insert(command.end(), params.fixed_options.begin(), params.fixed_options.end());
  if (!params.sampling.empty()) command.insert(command.end(), {"-sampling", params.sampling});
  command.insert(command.end(), params.run_options.begin(), params.run_options.end());
  const child_result run = run_child(command, {.out = sink::discard, .err = sink::capture});
  const auto inputs = decimal_number(file_text(count_file.path()));
  if (run.status != 0 || !inputs) {
    const std::string errors(util::string::rtrim(run.output, "\n"));
    refuse(concat("fullsim refuses the netlist or the options: ",
                  errors.empty() ? concat("exit status ", run.status) : errors));
  }
  return *inputs;
}

// Why the job recorded as `recorded` is not the job `wanted`, or "".
std::string conflict(const parameters& wanted, const parameters& recorded) {
  if (wanted.netlist != recorded.netlist) return concat("it is a job of ", recorded.netlist.string());
  if (wanted.checksum != recorded.checksum)
    return concat(recorded.netlist.string(), " changed since the job began");
  if (wanted.round != recorded.round || (!recorded.sampled && wanted.workers != recorded.workers))
    return recorded.sampled ? concat("it is a job of ", recorded.round, " replicates")
                            : concat("it is a job of ", recorded.workers, " workers");
  if (wanted.fixed_options != recorded.fixed_options)
    return concat("its fullsim options are '", joined(recorded.fixed_options), "'");
  if (!wanted.sampling.empty() && wanted.sampling != recorded.sampling)
    return concat("it samples with -sampling ", recorded.sampling);
  return "";
}

bool is_empty_directory(const fs::path& dir) {
  std::error_code error;
  return fs::directory_iterator(dir, error) == fs::directory_iterator();
}

void record_new_job(recorded_job& job) {
  std::error_code error;
  if (fs::is_directory(job.dir, error) && !is_empty_directory(job.dir))
    refuse(concat(job.dir.string(), " is not empty and holds no job; give an empty or new directory"));
  fs::create_directories(job.dir, error);
  if (error) refuse(concat("cannot create ", job.dir.string()));
  if (job.params.sampled && job.params.sampling.empty()) job.params.sampling = "independent";
  write_job_file(job.dir, job.params);
}

// Whether the job's workers count with decision diagrams ("-method bdd"), whose counts are integers
// of any size: a worker may cover more than 2^63 input vectors.
bool counts_with_diagrams(const parameters& params) {
  const std::vector<std::string>& options = params.fixed_options;
  for (std::size_t k = 0; k + 1 < options.size(); ++k)
    if (options[k] == "-method" && options[k + 1] == "bdd") return true;
  return false;
}

}  // namespace

job_run init(const std::vector<std::string>& arguments, const tools& tools, bool driver) {
  job_run run = check_job_arguments(parse_job_arguments(arguments, fullsim_flags(tools.fullsim), driver));
  check_split(run.job, tools);
  record_job(run.job);
  return run;
}

void check_split(const recorded_job& job, const tools& tools) {
  const parameters& params = job.params;
  const std::uint64_t inputs = netlist_inputs(job, tools);
  const unsigned bits = sel_bits(params);
  if (bits > inputs)
    refuse(concat(params.workers, " workers need ", bits, " inputs to split on, but ",
                  params.netlist.string(), " has ", inputs, " (at most ", std::uint64_t{1} << inputs,
                  " workers)"));
  if (!params.sampled && !counts_with_diagrams(params) && inputs - bits > 63)
    refuse(concat(params.netlist.string(), " has ", inputs,
                  " inputs: a worker covers at most 2^63 input vectors, so at least 2^", inputs - 63,
                  " workers are needed"));
}

void record_job(recorded_job& job) {
  std::error_code error;
  if (fs::exists(job.dir, error) && !fs::is_directory(job.dir, error))
    refuse(concat(job.dir.string(), " is not a directory"));
  if (!is_file(job.dir / "job")) {
    record_new_job(job);
    return;
  }
  const parameters wanted = job.params;
  job.params = load_job(job.dir).params;
  parameters& recorded = job.params;
  if (const std::string why = conflict(wanted, recorded); !why.empty())
    refuse(concat(job.dir.string(), " holds another job: ", why, "; give another -dir, or remove ",
                  job.dir.string(), " to start afresh"));
  if (wanted.run_options != recorded.run_options) {
    std::cerr << program_name << ": the workers run from now on get the options '"
              << joined(wanted.run_options) << "' instead of '" << joined(recorded.run_options) << "'\n";
    recorded.run_options = wanted.run_options;
    write_job_file(job.dir, recorded);
  }
  // The target decides only when the rounds stop: this run's applies.
  if (wanted.target_error != recorded.target_error) {
    recorded.target_error = wanted.target_error;
    write_job_file(job.dir, recorded);
  }
}

}  // namespace job
