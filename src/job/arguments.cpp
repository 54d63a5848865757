#include "job/arguments.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>

#include "job/error.hpp"
#include "job/files.hpp"
#include "job/process.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

bool contains(const std::vector<std::string>& words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// Refuses an option that the job sets itself or that would make the workers clash.
void refuse_reserved_option(std::string_view option) {
  if (option == "-sel-bits" || option == "-worker")
    refuse(concat(option, " is set for every worker from -workers"));
  if (option == "-replicate") refuse("-replicate is set for every worker from -replicates");
  if (option == "-o" || option.starts_with("-save-"))
    refuse(concat(option, " names a file that every worker would write; ",
                  "each worker writes worker-W.* files in JOBDIR"));
  if (option == "-no-eval") refuse("-no-eval would leave the workers without counts");
  if (option == "-h" || option == "--help")
    refuse(concat(option, " is not a job option (see ", program_name, " --help)"));
}

// The job's own options, which take a value each; the string they set.
std::string* job_value(job_arguments& args, std::string_view option) {
  if (option == "-workers") return &args.workers;
  if (option == "-replicates") return &args.replicates;
  if (option == "-dir") return &args.dir;
  if (option == "-hosts") return &args.hosts;
  if (option == "-jobs") return &args.jobs;
  if (option == "-sampling") return &args.sampling;
  if (option == "-target-error") return &args.target_error;
  return nullptr;
}

// In a sampled job -use-bits decides the counts (how many patterns a sample holds and which var
// inputs are drawn), so it moves from the run options to the fixed ones.
void fix_sample_use_bits(job_arguments& args) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < args.run_options.size(); ++i) {
    if (args.run_options[i] == "-use-bits" && i + 1 < args.run_options.size()) {
      args.fixed_options.insert(args.fixed_options.end(), {"-use-bits", args.run_options[++i]});
    } else {
      kept.push_back(args.run_options[i]);
    }
  }
  args.run_options = std::move(kept);
}

// A sampled job's worker count: its replicates, independent of one another.
void set_replicates(const job_arguments& args, parameters& params) {
  if (!args.workers.empty()) refuse("a sampled job (-samples) runs -replicates R, not -workers");
  if (args.replicates.empty()) refuse("-samples needs -replicates R (2 or more) for its error bars");
  const auto replicates = decimal_number(args.replicates);
  if (!replicates || *replicates < 2 || *replicates > std::uint64_t{1} << 32)
    refuse(concat("-replicates must be a number from 2 to 2^32, not '", args.replicates, "'"));
  if (!args.target_error.empty() && !target_error_value(args.target_error))
    refuse(concat("-target-error must be a positive number, not '", args.target_error, "'"));
  params.sampled = true;
  params.workers = params.round = *replicates;
  params.target_error = args.target_error;
}

// An exhaustive job's worker count: a power of two, each worker a share of the input space.
void set_workers(const job_arguments& args, parameters& params) {
  if (!args.replicates.empty()) refuse("-replicates needs -samples S");
  if (!args.target_error.empty()) refuse("-target-error needs -samples S");
  if (args.workers.empty()) refuse("-workers is required");
  const auto workers = decimal_number(args.workers);
  if (!workers || *workers == 0 || (*workers & (*workers - 1)) != 0)
    refuse(concat("-workers must be a power of two (1, 2, 4, 8, ...), not '", args.workers, "'"));
  params.workers = *workers;
}

bool has_line_break(std::string_view text) { return text.find('\n') != std::string_view::npos; }

}  // namespace

bool is_run_option(std::string_view option) {
  constexpr std::array<std::string_view, 11> run_options = {
      "-limit-time",       "-predict-time", "-limit-memory", "-use-bits",      "-no-cache",  "-no-gray-code",
      "-no-watch-changes", "-print-every",  "-limit-inputs", "-limit-outputs", "-limit-size"};
  return std::find(run_options.begin(), run_options.end(), option) != run_options.end();
}

std::vector<std::string> fullsim_flags(const fs::path& fullsim) {
  const child_result help = run_child({fullsim.string(), "--help"}, {.out = sink::capture});
  std::vector<std::string> flags;
  for (std::string_view rest = help.output; !rest.empty();) {
    const std::string_view line = util::string::lsplit(rest, "\n", rest);
    const std::string_view first = util::string::lsplit(util::string::ltrim(line), util::string::whitespace);
    if (first.starts_with('-') && line.ends_with("[flag]")) flags.emplace_back(first);
  }
  return flags;
}

job_arguments parse_job_arguments(const std::vector<std::string>& words,
                                  const std::vector<std::string>& flags, bool driver) {
  job_arguments args;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool has_value = i + 1 < words.size();
    if (std::string* value = job_value(args, word)) {
      if ((word == "-hosts" || word == "-jobs") && !driver)
        refuse(concat(word, " belongs to the local driver, not to init"));
      if (!has_value) refuse(concat(word, " needs a value"));
      *value = words[++i];
    } else if (word.starts_with('-')) {
      refuse_reserved_option(word);
      std::vector<std::string>& options = is_run_option(word) ? args.run_options : args.fixed_options;
      options.push_back(word);
      if (!contains(flags, word)) {
        if (!has_value) refuse(concat(word, " needs a value"));
        if (has_line_break(words[i + 1])) refuse(concat("the value of ", word, " holds a line break"));
        options.push_back(words[++i]);
      }
    } else {
      if (!args.netlist.empty())
        refuse(concat("unexpected argument '", word, "' (the netlist is '", args.netlist, "')"));
      args.netlist = word;
    }
  }
  const bool sampled = contains(args.fixed_options, "-samples");
  if (!sampled && !contains(args.run_options, "-use-bits"))
    args.run_options.insert(args.run_options.end(), {"-use-bits", "auto"});
  return args;
}

job_run check_job_arguments(job_arguments args) {
  if (args.netlist.empty()) refuse("no netlist given");
  job_run request;
  parameters& params = request.job.params;
  if (contains(args.fixed_options, "-samples")) {
    fix_sample_use_bits(args);
    set_replicates(args, params);
  } else {
    set_workers(args, params);
  }
  if (args.dir.empty()) refuse("-dir is required");
  if (has_line_break(args.netlist) || has_line_break(args.dir)) refuse("a path holds a line break");
  if (!is_file(args.netlist) || access(args.netlist.c_str(), R_OK) != 0)
    refuse(concat("cannot read the netlist '", args.netlist, "'"));
  const auto jobs = decimal_number(args.jobs);
  if (!jobs || *jobs == 0) refuse(concat("-jobs must be a positive number, not '", args.jobs, "'"));
  if (!args.hosts.empty() && access(args.hosts.c_str(), R_OK) != 0)
    refuse(concat("cannot read the host list '", args.hosts, "'"));
  params.netlist = absolute_path(args.netlist);
  params.checksum = sha256(params.netlist);
  params.sampling = args.sampling;
  params.fixed_options = std::move(args.fixed_options);
  params.run_options = std::move(args.run_options);
  request.job.dir = absolute_path(args.dir);
  request.driver = {args.hosts, *jobs};
  return request;
}

std::optional<std::uint64_t> decimal_number(std::string_view text) {
  if (text.size() > 18 || (text.size() > 1 && text.front() == '0')) return std::nullopt;
  return util::string::to_unsigned<std::uint64_t>(text);
}

}  // namespace job
