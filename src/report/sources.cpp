#include "report/sources.hpp"

#include <charconv>
#include <fstream>
#include <string_view>

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

// The first line of a small text file, or nothing when the file cannot be read.
std::optional<std::string> first_line(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

// Worker W's state, judged as the job driver judges it: "done" only when its status file says so
// and its count file exists.
worker_record worker_of(const fs::path& job, std::uint64_t w) {
  const fs::path prefix = job / concat("worker-", w);
  const auto file = [&](std::string_view extension) { return fs::path(concat(prefix.string(), extension)); };
  worker_record worker{w, first_line(file(".status")).value_or(""), std::nullopt};
  if (worker.state == "done" && !fs::exists(file(".csv"))) worker.state = "count file missing";
  if (worker.state.empty()) worker.state = fs::exists(file(".log")) ? "failed" : "not run";
  if (const auto time = first_line(file(".time"))) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(time->data(), time->data() + time->size(), seconds);
    if (error == std::errc{} && end == time->data() + time->size()) worker.seconds = seconds;
  }
  return worker;
}

// The job recorded in `job`/job: its netlist, worker (or replicate) count and fullsim options.
struct job_record {
  fs::path netlist;
  std::uint64_t workers = 0;
  std::vector<std::string> options;  // the words of every fullsim option, in order
};

job_record read_job_file(const fs::path& job) {
  const fs::path file = job / "job";
  std::ifstream in(file);
  if (!in) throw file_error(file, 0, "Could not read the job file: is this a job directory of infoloss-job?");
  job_record record;
  std::string line;
  operation::siz_t number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::string_view value;
    const std::string_view key = util::string::lsplit(line, "\t", value);
    if (key == "netlist") {
      record.netlist = value;
    } else if (key == "workers" || key == "replicates") {
      // A sampled job records its replicates, one worker each, as the option of its join.
      std::uint64_t workers = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), workers);
      if (error != std::errc{} || end != value.data() + value.size() || workers == 0)
        throw file_error(file, number, "The worker count is not a positive number.");
      record.workers = workers;
      if (key == "replicates") record.options.insert(record.options.end(), {"-replicates", std::string(value)});
    } else if (key == "option" || key == "run-option") {
      record.options.emplace_back(value);
    }  // other lines (the checksum) do not concern the report
  }
  if (record.netlist.empty() || record.workers == 0)
    throw file_error(file, 0, "The job file names no netlist or no worker count.");
  return record;
}

// The value that follows `option` in a list of option words, if any.
std::optional<std::string> option_value(const std::vector<std::string>& words, std::string_view option) {
  for (std::size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == option) return words[i + 1];
  return std::nullopt;
}

sources job_sources(const params& args, const fs::path& job) {
  for (const char* option :
       {"-energy", "-entropy", "-total", "-total-error", "-filetype", "-method", "-samples"})
    if (args.is_set(option))
      throw util::exception(concat("'", option, "' is for a netlist; a job directory names its own files."));
  const job_record record = read_job_file(job);
  sources found;
  found.netlist = record.netlist;
  found.filetype = option_value(record.options, "-filetype").value_or("");
  found.energy = job / "energy.csv";
  if (!fs::exists(found.energy))
    throw file_error(found.energy, 0, "The job has not been joined: run it to its end first.");
  found.entropy = job / "entropy.csv";
  found.total = job / "total";
  if (fs::exists(job / "total-error")) found.total_error = job / "total-error";
  found.method = method_of_options(record.options);
  found.job = job;
  for (std::uint64_t w = 0; w < record.workers; ++w) found.workers.push_back(worker_of(job, w));
  found.page = args.is_set("-o") ? args.get<fs::path>("-o") : job / "report.html";
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
  if (const auto samples = option_value(words, "-samples")) {
    method.how = counting_method::kind::sampling;
    method.samples = positive_count(*samples, "number of samples");
    if (const auto replicates = option_value(words, "-replicates"))
      method.replicates = positive_count(*replicates, "number of replicates");
  } else if (option_value(words, "-method") == "bdd") {
    method.how = counting_method::kind::decision_diagrams;
  }
  return method;
}

sources sources_of(const params& args) {
  const fs::path input = args.get<fs::path>("input");
  return fs::is_directory(input) ? job_sources(args, input) : netlist_sources(args);
}

}  // namespace report
