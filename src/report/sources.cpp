#include "report/sources.hpp"

#include <charconv>
#include <string_view>

#include "job/files.hpp"
#include "job/job_file.hpp"
#include "job/worker_state.hpp"
#include "report/file_error.hpp"
#include "util/argparse/exception.hpp"
#include "util/string.hpp"

namespace report {

namespace fs = std::filesystem;
using params = util::argparse::params;
using util::string::concat;

namespace {

// A count of batches or replicates: a positive decimal number.
std::uint64_t positive_count(std::string_view text, std::string_view what) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value == 0)
    throw util::exception(concat("The ", what, " must be a positive number, not '", text, "'."));
  return value;
}

// Worker W's state, judged as the job driver judges it, and the seconds of its whole run when it
// recorded them.
worker_record worker_of(const fs::path& dir, std::uint64_t w) {
  worker_record worker{w, job::read_worker_state(dir, w), std::nullopt};
  const std::string time = job::first_line(job::worker_file(dir, w, "time"));
  double seconds = 0;
  const auto [end, error] = std::from_chars(time.data(), time.data() + time.size(), seconds);
  if (error == std::errc{} && end == time.data() + time.size()) worker.seconds = seconds;
  return worker;
}

// The words of every fullsim option of the job; a sampled job's replicates, one worker each, as the
// option of its join.
std::vector<std::string> options_of(const job::parameters& params) {
  std::vector<std::string> words;
  if (params.sampled) words.insert(words.end(), {"-replicates", std::to_string(params.workers)});
  words.insert(words.end(), params.fixed_options.begin(), params.fixed_options.end());
  words.insert(words.end(), params.run_options.begin(), params.run_options.end());
  return words;
}

sources job_sources(const params& args, const fs::path& dir) {
  for (const char* option :
       {"-energy", "-entropy", "-total", "-total-error", "-filetype", "-method", "-samples"})
    if (args.is_set(option))
      throw util::exception(concat("'", option, "' is for a netlist; a job directory names its own files."));
  const job::parameters params = job::read_job_file(dir / "job");
  const std::vector<std::string> options = options_of(params);
  sources found;
  found.netlist = params.netlist;
  found.filetype = job::option_value(options, "-filetype").value_or("");
  found.energy = dir / "energy.csv";
  if (!fs::exists(found.energy))
    throw file_error(found.energy, 0, "The job has not been joined: run it to its end first.");
  found.entropy = dir / "entropy.csv";
  found.total = dir / "total";
  if (fs::exists(dir / "total-error")) found.total_error = dir / "total-error";
  found.method = method_of_options(options);
  found.job = dir;
  for (std::uint64_t w = 0; w < params.workers; ++w) found.workers.push_back(worker_of(dir, w));
  found.page = args.is_set("-o") ? args.get<fs::path>("-o") : dir / "report.html";
  return found;
}

sources netlist_sources(const params& args) {
  for (const char* option : {"-o", "-energy", "-entropy", "-total"})
    if (!args.is_set(option)) throw util::exception(concat("'", option, "' is required with a netlist."));
  sources found;
  found.netlist = args.get<fs::path>("input");
  found.filetype = args.get_ref("-filetype");
  found.energy = args.get<fs::path>("-energy");
  found.entropy = args.get<fs::path>("-entropy");
  found.total = args.get<fs::path>("-total");
  if (args.is_set("-total-error")) found.total_error = args.get<fs::path>("-total-error");
  std::vector<std::string> words = {"-method", args.get_ref("-method")};
  if (args.is_set("-samples")) words.insert(words.end(), {"-samples", args.get_ref("-samples")});
  words.insert(words.end(), {"-replicates", args.get_ref("-replicates")});
  found.method = method_of_options(words);
  if (args.get_ref("-method") == "sampling" && found.method.how != counting_method::kind::sampling)
    throw util::exception("'-method sampling' needs '-samples N'.");
  found.page = args.get<fs::path>("-o");
  return found;
}

}  // namespace

std::string describe(const counting_method& method) {
  switch (method.how) {
    case counting_method::kind::decision_diagrams:
      return "decision diagrams (exact)";
    case counting_method::kind::sampling:
      return concat("sampling with ", method.samples, " batches × ", method.replicates,
                    method.replicates == 1 ? " replicate" : " replicates");
    case counting_method::kind::enumeration:
      break;
  }
  return "enumeration (exact)";
}

counting_method method_of_options(const std::vector<std::string>& words) {
  counting_method method;
  if (const auto samples = job::option_value(words, "-samples")) {
    method.how = counting_method::kind::sampling;
    method.samples = positive_count(*samples, "number of samples");
    if (const auto replicates = job::option_value(words, "-replicates"))
      method.replicates = positive_count(*replicates, "number of replicates");
  } else if (job::option_value(words, "-method") == "bdd") {
    method.how = counting_method::kind::decision_diagrams;
  }
  return method;
}

sources sources_of(const params& args) {
  const fs::path input = args.get<fs::path>("input");
  return fs::is_directory(input) ? job_sources(args, input) : netlist_sources(args);
}

}  // namespace report
