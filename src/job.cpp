// infoloss-job: runs one exhaustive fullsim job split among 2^k workers, or a sampled one as R
// independent replicates, on this machine or on several through GNU parallel, runs again only the
// workers without a complete result, and joins the workers' count files once all are complete.
//
// Every command it runs is built by the job library: the Slurm scripts call the subcommands
// "init", "pending", "worker" and "join" so that a cluster runs exactly what the local driver runs.
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "job/driver.hpp"
#include "job/error.hpp"
#include "job/files.hpp"
#include "job/init.hpp"
#include "job/join.hpp"
#include "job/tools.hpp"
#include "job/worker.hpp"
#include "job/worker_state.hpp"
#include "util/entry.hpp"
#include "util/string.hpp"

namespace {

using arguments = std::vector<std::string>;
using util::string::concat;

constexpr std::string_view usage =
    R"(usage: infoloss-job NETLIST -workers N -dir JOBDIR [-hosts FILE] [-jobs J] [fullsim options...]
       infoloss-job NETLIST -samples S -replicates R [-target-error E] -dir JOBDIR [-hosts FILE] [-jobs J]
                    [fullsim options...]
       infoloss-job init NETLIST (-workers N | -samples S -replicates R) -dir JOBDIR [fullsim options...]
       infoloss-job worker JOBDIR W [-dry-run]
       infoloss-job pending JOBDIR
       infoloss-job join JOBDIR

Runs fullsim on NETLIST as N workers (N a power of two) through GNU parallel, J at a time (default
1: every fullsim uses all cores), on the machines of a GNU parallel --sshloginfile with -hosts,
then joins their count files into JOBDIR/energy.csv, JOBDIR/entropy.csv and JOBDIR/total.
With -samples S -replicates R, worker W is replicate W (fullsim -samples S -replicate W) and the
join adds each gate's standard error to energy.csv (name,energy,std-error) and the total's to
JOBDIR/total-error. -sampling independent|batch (default independent, recorded with the job; a job
recorded without it samples batches) says how fullsim draws a sample. With -target-error E the
replicates run in rounds (of R at least) until the total's standard error is below E times the
total, or until -limit-time seconds of this run have passed; JOBDIR/target says which.
Running the same command again runs only the workers without a complete result.
The workers of an exhaustive job get "-use-bits auto" unless the options give -use-bits.

  init     checks the arguments and records the job in JOBDIR; prints JOBDIR's absolute path
  worker   runs worker W of the job in JOBDIR (-dry-run: prints its fullsim command instead)
  pending  lists the workers without a complete result: "W state", one per line
  join     joins a complete job

Exit status: 0 complete (joined; with -target-error, the target reached); 1 some worker failed,
ran out of time or has not run (the join is refused), or the time limit came before the target;
2 refused before starting anything; 3 join failed.
)";

// The programs that the subcommand runs: fullsim and join, and GNU parallel for the local driver.
job::tools find_tools(bool local_driver) {
  job::tools tools;
  tools.fullsim = job::find_tool("fullsim");
  tools.join = job::find_tool("join");
  if (local_driver) tools.parallel = job::find_tool("parallel");
  tools.job_program = job::own_program();
  return tools;
}

// The job directory that a subcommand names, as the job records it.
job::recorded_job named_job(const std::string& dir) { return job::load_job(job::absolute_path(dir)); }

// init NETLIST ...: checks the arguments, records the job and prints its directory.
int init_job(const arguments& args, const job::tools& tools) {
  const job::job_run run = job::init(arguments(args.begin() + 1, args.end()), tools, false);
  std::cout << run.job.dir.string() << '\n';
  return job::exit_status::complete;
}

// worker JOBDIR W [-dry-run]: runs worker W, or prints its command.
int run_worker(const arguments& args, const job::tools& tools) {
  if (args.size() != 3 && args.size() != 4)
    job::refuse(concat("usage: ", job::program_name, " worker JOBDIR W [-dry-run]"));
  const job::recorded_job job = named_job(args[1]);
  const std::uint64_t worker = job::worker_number(job, args[2]);
  const bool dry_run = args.size() == 4;
  if (dry_run && args[3] != "-dry-run") job::refuse(concat("unexpected argument '", args[3], "'"));
  if (!dry_run) return job::run_worker(job, worker, tools);
  std::cout << job::dry_run_line(job, worker, tools.fullsim) << '\n';
  return job::exit_status::complete;
}

// pending JOBDIR: lists the workers without a complete result.
int list_pending(const arguments& args) {
  if (args.size() != 2) job::refuse(concat("usage: ", job::program_name, " pending JOBDIR"));
  const job::recorded_job job = named_job(args[1]);
  std::cout << job::pending_lines(job::pending_workers(job.dir, job.params.workers));
  return job::exit_status::complete;
}

// join JOBDIR: joins a complete job.
int join_job(const arguments& args, const job::tools& tools) {
  if (args.size() != 2) job::refuse(concat("usage: ", job::program_name, " join JOBDIR"));
  job::join(named_job(args[1]), tools);
  return job::exit_status::complete;
}

// NETLIST ...: the local driver records the job and runs it to its end.
int drive_job(const arguments& args, const job::tools& tools) {
  job::job_run run = job::init(args, tools, true);
  return job::run(run, tools);
}

// Runs the subcommand that the first argument names; any other first argument is the netlist of a
// job for the local driver.
int run_subcommand(const arguments& args) {
  const std::string& subcommand = args.front();
  const bool local_driver =
      subcommand != "init" && subcommand != "worker" && subcommand != "pending" && subcommand != "join";
  const job::tools tools = find_tools(local_driver);
  if (subcommand == "init") return init_job(args, tools);
  if (subcommand == "worker") return run_worker(args, tools);
  if (subcommand == "pending") return list_pending(args);
  if (subcommand == "join") return join_job(args, tools);
  return drive_job(args, tools);
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program(job::program_name, [&] {
    const arguments args(argv + 1, argv + argc);
    const std::string_view first = args.empty() ? "" : args.front();
    if (first == "-h" || first == "--help" || first == "help") {
      std::cout << usage;
      return job::exit_status::complete;
    }
    if (first.empty()) {
      std::cerr << usage;
      return job::exit_status::refused;
    }
    return run_subcommand(args);
  });
}
