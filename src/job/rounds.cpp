#include "job/rounds.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include "job/deadline.hpp"
#include "job/driver.hpp"
#include "job/error.hpp"
#include "job/files.hpp"
#include "job/join.hpp"
#include "util/output_file.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

constexpr std::uint64_t most_replicates = std::uint64_t{1} << 32;

// Says how the rounds ended, on the console and in JOBDIR/target.
void report_target(const fs::path& dir, const std::string& line) {
  std::cout << line << '\n';
  try {
    util::write_file(dir / "target", line + '\n');
  } catch (const util::file_not_writable&) {
    throw error(exit_status::join_failed, concat("cannot write ", (dir / "target").string()));
  }
}

bool all_out_of_time(const std::vector<pending_worker>& pending) {
  return std::all_of(pending.begin(), pending.end(),
                     [](const pending_worker& worker) { return worker.state == "out-of-time"; });
}

// Adds the replicates that the joined error says the target needs and records them; false when the
// job holds as many as it can.
bool grow_replicates(recorded_job& job, const std::string& error, double target) {
  parameters& params = job.params;
  if (params.workers >= most_replicates) return false;
  params.workers =
      grown_replicates(params.workers, params.round, std::strtod(error.c_str(), nullptr), target);
  write_job_file(job.dir, params);
  return true;
}

}  // namespace

int run_rounds(job_run& run, const tools& tools) {
  recorded_job& job = run.job;
  const std::string& target_text = job.params.target_error;
  const double target = target_error_value(target_text).value_or(0);
  std::optional<deadline_setting> deadline;
  if (const auto limit = option_value(job.params.run_options, "-limit-time"))
    deadline.emplace(std::strtod(limit->c_str(), nullptr));
  std::error_code ignored;
  fs::remove(job.dir / "target", ignored);
  const std::string missed = concat("target error ", target_text, " not reached");
  std::string joined_error;  // the last joined round's relative standard error, with its replicates
  while (true) {
    const std::vector<pending_worker> pending = run_round(run, tools);
    if (!pending.empty()) {
      if (!past_rounds_deadline() || !all_out_of_time(pending)) stop_incomplete(pending, job.params.workers);
      report_target(job.dir, concat(missed, " within the time limit: ",
                                    joined_error.empty() ? "no round complete" : joined_error));
      return exit_status::incomplete;
    }
    join(job, tools);
    const std::string error =
        relative_error(file_text(job.dir / "total"), file_text(job.dir / "total-error"));
    joined_error = concat("relative standard error ", error, " after ", job.params.workers, " replicates");
    if (std::strtod(error.c_str(), nullptr) < target) {
      report_target(job.dir, concat("target error ", target_text, " reached: ", joined_error));
      return exit_status::complete;
    }
    if (past_rounds_deadline()) {
      report_target(job.dir, concat(missed, " within the time limit: ", joined_error));
      return exit_status::incomplete;
    }
    if (!grow_replicates(job, error, target)) {
      report_target(job.dir, concat(missed, ": ", joined_error, ", as many as a job holds"));
      return exit_status::incomplete;
    }
    std::cout << "relative standard error " << error << " above the target " << target_text << ": a round to "
              << job.params.workers << " replicates\n";
  }
}

std::string relative_error(std::string_view total_text, std::string_view error_text) {
  const double total = std::fabs(std::strtod(std::string(total_text).c_str(), nullptr));
  const double error = std::strtod(std::string(error_text).c_str(), nullptr);
  if (!(total > 0)) return error > 0 ? "inf" : "0";
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", error / total);
  return text;
}

std::uint64_t grown_replicates(std::uint64_t replicates, std::uint64_t round, double error, double target) {
  const double now = static_cast<double>(replicates), step = static_cast<double>(round);
  double need = now * std::pow(error / target, 2);
  if (!(need <= 2 * now)) need = 2 * now;
  double rounds = std::trunc((need - now) / step);
  if (now + rounds * step < need) ++rounds;
  rounds = std::max(rounds, 1.0);
  return static_cast<std::uint64_t>(std::min(now + rounds * step, static_cast<double>(most_replicates)));
}

}  // namespace job
