// infoloss-run ("infoloss run"): from a netlist to its energy in one command. It measures what each
// counting method would cost here, counts exactly when that fits the time (by enumeration, else
// with decision diagrams), else estimates by sampling to a target error; it writes a job directory
// as infoloss-job does, with the method and why, then the report, and prints a short summary.
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "job/driver.hpp"
#include "job/error.hpp"
#include "job/files.hpp"
#include "job/init.hpp"
#include "job/job_file.hpp"
#include "job/process.hpp"
#include "job/tools.hpp"
#include "job/worker.hpp"
#include "job/worker_state.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "run/choice.hpp"
#include "run/command_line.hpp"
#include "run/probes.hpp"
#include "run/stdout_log.hpp"
#include "util/clock.hpp"
#include "util/entry.hpp"
#include "util/error.hpp"
#include "util/stream.hpp"
#include "util/string.hpp"

namespace {

namespace fs = std::filesystem;
using run::method;
using util::string::concat;

// Without "-limit-time": the most seconds an exact method may take before sampling takes over.
constexpr double default_exact_seconds = 120;
// The most seconds a probe may take, and its share of the time.
constexpr double longest_probe = 1.0, probe_share = 0.05;
// A sampled job's first round of replicates, and the least of each later round.
constexpr std::uint64_t round_replicates = 16;
// Under a time limit, the share of the time left that the first round may take.
constexpr double first_round_share = 0.5;
// Seconds that starting a fullsim costs beside reading its netlist (GNU parallel's and its own).
constexpr double process_start = 0.1;
// The decision diagrams' attempt is killed this share of its time after it should have stopped.
constexpr double attempt_grace = 0.1;
// The seconds one replicate should take: a small share of the time, so that the rounds stop close to
// the target, but long enough that starting fullsim costs little beside it.
constexpr double least_replicate_seconds = 0.05, most_replicate_seconds = 2.0, replicate_share = 1.0 / 256;

// The time of the run: its limit, if any, from its start.
class run_clock {
 public:
  explicit run_clock(std::optional<double> limit) : limit_(limit), start_(util::steady_seconds()) {}

  double elapsed() const { return util::steady_seconds() - start_; }
  bool limited() const { return limit_.has_value(); }
  // Seconds left of the limit; without one, those an exact method may take.
  double left() const { return limit_ ? std::max(0.0, *limit_ - elapsed()) : default_exact_seconds; }
  double probe_seconds() const { return std::min(longest_probe, probe_share * left()); }

 private:
  std::optional<double> limit_;
  double start_;
};

job::tools find_tools() {
  return {job::find_tool("fullsim"), job::find_tool("join"), job::find_tool("parallel"),
          job::find_tool("infoloss-job")};
}

// The netlist, sorted as fullsim sorts it, and the seconds that took.
struct read_netlist {
  operation::Circuit circuit;
  std::vector<operation::nid_t> ranks;
  double seconds;
};

// Reads the netlist without the readers' progress lines.
read_netlist read_circuit(const run::request& asked) {
  const double start = util::steady_seconds();
  operation::Circuit circuit = operation::read(asked.netlist, asked.filetype, util::null_ostr);
  operation::sort_topologically(circuit);
  std::vector<operation::nid_t> ranks = circuit.get_ranks();
  return {std::move(circuit), std::move(ranks), util::steady_seconds() - start};
}

// The arguments of the job's "init": netlist, directory, format, then the method's own.
std::vector<std::string> job_arguments(const run::request& asked, std::vector<std::string> method_arguments) {
  std::vector<std::string> arguments{asked.netlist.string(), "-dir", asked.dir.string()};
  if (!asked.filetype.empty()) arguments.insert(arguments.end(), {"-filetype", asked.filetype});
  arguments.insert(arguments.end(), method_arguments.begin(), method_arguments.end());
  return arguments;
}

// A worker's "-limit-time": what is left of the run's limit, if it has one.
std::vector<std::string> worker_time_limit(const run_clock& time) {
  if (!time.limited()) return {};
  return {"-limit-time", util::string::fromf(time.left(), 3)};
}

job::job_run start_enumeration(const run::request& asked, const job::tools& tools, const run_clock& time) {
  std::vector<std::string> options{"-workers", "1"};
  for (std::string& word : worker_time_limit(time)) options.push_back(std::move(word));
  return job::init(job_arguments(asked, options), tools, true);
}

job::job_run start_diagrams(const run::request& asked, const job::tools& tools) {
  return job::init(job_arguments(asked, {"-workers", "1", "-method", "bdd"}), tools, true);
}

// A sampled job to the target error: samples that make a replicate take a small share of the time
// (measured by a probe), in rounds of `round_replicates` replicates; under a time limit fewer (2 at
// least), so that the first round, a fullsim each that reads the netlist again, takes at most half
// of the time left.
job::job_run start_sampling(const run::request& asked, const job::tools& tools, const run_clock& time,
                            const read_netlist& netlist) {
  const run::sampling_cost cost = run::measure_sampling(netlist.circuit, netlist.ranks, time.probe_seconds());
  const double replicate_seconds =
      std::clamp(replicate_share * time.left(), least_replicate_seconds, most_replicate_seconds);
  const double samples = std::clamp(std::floor(replicate_seconds / cost.per_sample), 1.0, 1e9);
  const double replicate_cost = process_start + netlist.seconds + cost.setup + samples * cost.per_sample;
  const double replicates = time.limited()
                                ? std::clamp(std::floor(first_round_share * time.left() / replicate_cost),
                                             2.0, static_cast<double>(round_replicates))
                                : round_replicates;
  std::vector<std::string> options{"-samples",      std::to_string(static_cast<std::uint64_t>(samples)),
                                   "-replicates",   std::to_string(static_cast<std::uint64_t>(replicates)),
                                   "-target-error", asked.target_error};
  for (std::string& word : worker_time_limit(time)) options.push_back(std::move(word));
  return job::init(job_arguments(asked, options), tools, true);
}

// Why enumeration does not fit: too many inputs, or its predicted time.
std::string enumeration_too_long(const operation::Circuit& circuit, const run::enumeration_cost& cost) {
  const std::string assignments = concat("2^", circuit.input_count(), " input assignments");
  if (!cost.countable) return concat("the ", assignments, " are too many to enumerate");
  return concat("enumerating the ", assignments, " would take about ", run::seconds_text(cost.seconds));
}

// Removes what a failed attempt of the decision diagrams left in the job directory (its job file
// and worker 0's files), which was new or empty before it.
void discard_attempt(const fs::path& dir) {
  fs::remove(dir / "job");
  for (const char* extension : {"csv", "status", "progress", "time", "log"})
    fs::remove(job::worker_file(dir, 0, extension));
}

// Where a stopped attempt got to, from worker 0's progress file ("B / 1", then "G / N"): " at gate G
// of N", or nothing without the file (a killed attempt).
std::string gates_done(const fs::path& dir) {
  std::ifstream progress(job::worker_file(dir, 0, "progress"));
  std::string batches, gate, slash, gates;
  if (!std::getline(progress, batches) || !(progress >> gate >> slash >> gates)) return "";
  return concat(" at gate ", gate, " of ", gates);
}

// Tries the decision diagrams as worker 0 of a job of one, in half of the time left (the rest stays
// for sampling; without a limit, the exact methods' time), its node table sized to the memory left
// as fullsim sizes it (an address-space limit would also bind the sanitizers' shadow memory): fullsim
// stops itself between gates once the time has passed or its predicted time is three times that,
// and is killed a little later, since one gate's operation cannot be interrupted. Complete, its
// counts are the worker's result; otherwise the job is discarded. Returns the job, or nothing and
// why the attempt failed.
std::optional<job::job_run> attempt_diagrams(const run::request& asked, const job::tools& tools,
                                             const run_clock& time, std::string& stopped) {
  job::job_run diagrams = start_diagrams(asked, tools);
  const fs::path& dir = diagrams.job.dir;
  const double seconds = time.limited() ? time.left() / 2 : default_exact_seconds;
  std::vector<std::string> command = job::worker_command(diagrams.job, 0, tools.fullsim);
  command.insert(command.end(), {"-limit-time", util::string::fromf(seconds, 3), "-predict-time"});
  const double start = util::steady_seconds();
  const int status = job::child(command, {.log = job::worker_file(dir, 0, "log")})
                         .finish_within(seconds + std::max(1.0, attempt_grace * seconds))
                         .status;
  const double took = util::steady_seconds() - start;
  const std::string state = job::read_worker_state(dir, 0);
  if (status == 0 && state == job::done) return diagrams;
  stopped =
      state == "out-of-time" || status == 128 + SIGKILL
          ? concat("the decision diagrams stopped for time after ", run::seconds_text(took), gates_done(dir))
          : concat("the decision diagrams failed after ", run::seconds_text(took), " (",
                   job::last_line_starting(job::worker_file(dir, 0, "log"), "fullsim: "), ")");
  discard_attempt(dir);
  return std::nullopt;
}

// Starts the job of the method that fits, or of the forced one, and records the choice.
job::job_run start_job(const run::request& asked, const job::tools& tools, const run_clock& time) {
  const read_netlist netlist = read_circuit(asked);
  const auto started = [&](job::job_run job, method chosen, std::string why) {
    run::write_choice(job.job.dir, {chosen, std::move(why)});
    return job;
  };
  switch (asked.method) {
    case run::method_choice::enumerate:
      return started(start_enumeration(asked, tools, time), method::enumerate,
                     "forced with -method enumerate");
    case run::method_choice::bdd:
      return started(start_diagrams(asked, tools), method::bdd, "forced with -method bdd");
    case run::method_choice::sample:
      return started(start_sampling(asked, tools, time, netlist), method::sample,
                     "forced with -method sample");
    case run::method_choice::automatic:
      break;
  }
  const run::enumeration_cost enumeration =
      run::predict_enumeration(netlist.circuit, netlist.ranks, time.probe_seconds());
  if (enumeration.countable && enumeration.seconds <= time.left()) {
    const std::string why = enumeration.done ? concat("a probe enumerated every assignment in ",
                                                      run::seconds_text(enumeration.seconds))
                                             : concat("enumerating every assignment takes about ",
                                                      run::seconds_text(enumeration.seconds), " here");
    return started(start_enumeration(asked, tools, time), method::enumerate, why);
  }
  const std::string too_long = enumeration_too_long(netlist.circuit, enumeration);
  std::string stopped;
  if (std::optional<job::job_run> diagrams = attempt_diagrams(asked, tools, time, stopped))
    return started(std::move(*diagrams), method::bdd,
                   concat(too_long, "; the decision diagrams counted exactly"));
  return started(
      start_sampling(asked, tools, time, netlist), method::sample,
      concat(too_long, "; ", stopped, "; sampled to a relative standard error of ", asked.target_error));
}

// The job recorded in the directory, to resume with the choice it recorded; refused (exit status 2)
// when it is a job of another netlist.
job::job_run recorded_job(const run::request& asked) {
  job::job_run recorded{job::load_job(job::absolute_path(asked.dir)), {}};
  const fs::path& netlist = recorded.job.params.netlist;
  if (netlist != job::absolute_path(asked.netlist))
    job::refuse(concat(recorded.job.dir.string(), " holds another job: it is a job of ", netlist.string(),
                       "; give another -dir, or remove ", recorded.job.dir.string(), " to start afresh"));
  return recorded;
}

// Ends a run whose job left no joined total (no round of replicates complete before the time ran
// out) with the job's exit status.
void check_joined(const fs::path& dir, int status) {
  if (job::is_file(dir / "total")) return;
  throw job::error(status, concat(job::file_text(dir / "target"), "; run the same command again to resume"));
}

// Runs the job's workers and joins them, their console lines going to JOBDIR/run.log. Returns the
// job's exit status: 1 when the time ran out before the target error (the last round joined).
int run_job(job::job_run& job, const job::tools& tools) {
  const run::stdout_log log(job.job.dir / "run.log");
  return job::run(job, tools);
}

void write_report(const fs::path& dir) {
  const job::child_result report = job::run_child({job::find_tool("report").string(), dir.string()},
                                                  {.out = job::sink::capture, .err = job::sink::capture});
  if (report.status != 0)
    throw util::resource_error(
        concat("the report failed (exit status ", report.status, "): ", report.output));
}

void print_summary(const fs::path& dir, const std::optional<run::choice>& chosen, double seconds) {
  std::cout << "method: "
            << (chosen ? concat(run::method_title(chosen->method), ": ", chosen->why)
                       : "as infoloss-job recorded it")
            << '\n';
  const std::string total = job::file_text(dir / "total"), error = job::file_text(dir / "total-error");
  std::cout << "total energy = " << total << (error.empty() ? "" : concat(" ± ", error))
            << " bits per input vector\n";
  const std::string target = job::file_text(dir / "target");
  if (!target.empty()) std::cout << target << '\n';
  std::cout << "time: " << run::seconds_text(seconds) << '\n';
  std::cout << "report: " << (dir / "report.html").string() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("infoloss-run", [&] {
    const run::request asked = run::parse_args(argc, argv);
    const run_clock time(asked.time_limit);
    const job::tools tools = find_tools();
    const bool resumed = job::is_file(asked.dir / "job");
    job::job_run job = resumed ? recorded_job(asked) : start_job(asked, tools, time);
    const int status = run_job(job, tools);
    check_joined(job.job.dir, status);
    write_report(job.job.dir);
    print_summary(job.job.dir, run::read_choice(job.job.dir), time.elapsed());
    return status;
  });
}
