#include "job/arguments.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/files.hpp"
#include "job_dir.hpp"

namespace {

using words = std::vector<std::string>;

const words fullsim_flags = {"-no-cache", "-no-gray-code", "-predict-time", "-no-eval"};
const std::string netlist = std::string(INFOLOSS_CIRCUITS) + "/ctrl.v";

job::job_arguments parse(const words& line, bool driver = true) {
  return job::parse_job_arguments(line, fullsim_flags, driver);
}

job_failure refusal_of(const words& line, bool driver = true) {
  return failure_of([&] { job::check_job_arguments(parse(line, driver)); });
}

}  // namespace

TEST(JobArguments, SortsTheOptionsIntoFixedAndRunOnes) {
  const job::job_arguments args =
      parse({netlist, "-workers", "8", "-input-sort", "fanouts", "-no-gray-code", "-limit-time", "90", "-dir",
             "j", "-filetype", "verilog", "-no-cache", "-hosts", "h", "-jobs", "2", "-print-every", "-5"});
  EXPECT_EQ(args.netlist, netlist);
  EXPECT_EQ(args.workers, "8");
  EXPECT_EQ(args.dir, "j");
  EXPECT_EQ(args.hosts, "h");
  EXPECT_EQ(args.jobs, "2");
  EXPECT_EQ(args.fixed_options, (words{"-input-sort", "fanouts", "-filetype", "verilog"}));
  // An option's value may begin with "-"; the flags take none. Without -use-bits, "auto".
  EXPECT_EQ(args.run_options, (words{"-no-gray-code", "-limit-time", "90", "-no-cache", "-print-every", "-5",
                                     "-use-bits", "auto"}));
  EXPECT_EQ(parse({netlist, "-use-bits", "12"}).run_options, (words{"-use-bits", "12"}));
  EXPECT_EQ(parse({netlist}).jobs, "1");
}

TEST(JobArguments, SampledJobsFixTheirUseBits) {
  const job::job_run run = job::check_job_arguments(parse(
      {netlist, "-samples", "16", "-use-bits", "4", "-replicates", "3", "-limit-time", "5", "-dir", "j"}));
  const job::parameters& params = run.job.params;
  EXPECT_TRUE(params.sampled);
  EXPECT_EQ(params.workers, 3u);
  EXPECT_EQ(params.round, 3u);
  EXPECT_EQ(params.sampling, "");  // the job's own, or independent for a new one
  EXPECT_EQ(params.fixed_options, (words{"-samples", "16", "-use-bits", "4"}));
  EXPECT_EQ(params.run_options, (words{"-limit-time", "5"}));  // a sample gets no "-use-bits auto"
}

TEST(JobArguments, ChecksMakeThePathsAbsoluteAndSumTheNetlist) {
  const job::job_run run =
      job::check_job_arguments(parse({netlist, "-workers", "4", "-dir", "jobs/./a/../b/", "-jobs", "3"}));
  EXPECT_EQ(run.job.dir, std::filesystem::current_path() / "jobs/b");
  EXPECT_EQ(run.job.params.netlist, job::absolute_path(netlist));
  EXPECT_EQ(run.job.params.checksum.size(), 64u);
  EXPECT_EQ(run.job.params.workers, 4u);
  EXPECT_EQ(run.driver.jobs, 3u);
  EXPECT_FALSE(run.job.params.sampled);
}

TEST(JobArguments, RefusesWhatTheJobSetsOrCannotRun) {
  const std::vector<std::pair<words, std::string>> cases = {
      {{netlist, "-sel-bits", "2"}, "-sel-bits is set for every worker from -workers"},
      {{netlist, "-worker", "1"}, "-worker is set for every worker from -workers"},
      {{netlist, "-replicate", "1"}, "-replicate is set for every worker from -replicates"},
      {{netlist, "-save-time", "t"},
       "-save-time names a file that every worker would write; each worker writes worker-W.* files in "
       "JOBDIR"},
      {{netlist, "-o", "c.csv"},
       "-o names a file that every worker would write; each worker writes worker-W.* files in JOBDIR"},
      {{netlist, "-no-eval"}, "-no-eval would leave the workers without counts"},
      {{netlist, "--help"}, "--help is not a job option (see infoloss-job --help)"},
      {{netlist, "-input-sort"}, "-input-sort needs a value"},
      {{netlist, "-dir"}, "-dir needs a value"},
      {{netlist, "-input-sort", "a\nb"}, "the value of -input-sort holds a line break"},
      {{netlist, "other.v"}, "unexpected argument 'other.v' (the netlist is '" + netlist + "')"},
  };
  for (const auto& [line, message] : cases) {
    const job_failure refused = failure_of([&] { parse(line); });
    EXPECT_EQ(refused.status, job::exit_status::refused) << message;
    EXPECT_EQ(refused.message, message);
  }
  EXPECT_EQ(failure_of([] {
              parse({netlist, "-jobs", "2"}, false);
            }).message,
            "-jobs belongs to the local driver, not to init");
  EXPECT_EQ(failure_of([] {
              parse({netlist, "-hosts", "h"}, false);
            }).message,
            "-hosts belongs to the local driver, not to init");
}

TEST(JobArguments, RefusesBadCountsAndPaths) {
  const std::vector<std::pair<words, std::string>> cases = {
      {{"-workers", "4"}, "no netlist given"},
      {{netlist, "-dir", "j"}, "-workers is required"},
      {{netlist, "-workers", "6", "-dir", "j"}, "-workers must be a power of two (1, 2, 4, 8, ...), not '6'"},
      {{netlist, "-workers", "04", "-dir", "j"},
       "-workers must be a power of two (1, 2, 4, 8, ...), not '04'"},
      {{netlist, "-workers", "0", "-dir", "j"}, "-workers must be a power of two (1, 2, 4, 8, ...), not '0'"},
      {{netlist, "-workers", "4"}, "-dir is required"},
      {{netlist, "-workers", "4", "-replicates", "2"}, "-replicates needs -samples S"},
      {{netlist, "-workers", "4", "-target-error", "0.1"}, "-target-error needs -samples S"},
      {{netlist, "-samples", "8", "-workers", "4"},
       "a sampled job (-samples) runs -replicates R, not -workers"},
      {{netlist, "-samples", "8"}, "-samples needs -replicates R (2 or more) for its error bars"},
      {{netlist, "-samples", "8", "-replicates", "1"},
       "-replicates must be a number from 2 to 2^32, not '1'"},
      {{netlist, "-samples", "8", "-replicates", "4294967297"},
       "-replicates must be a number from 2 to 2^32, not '4294967297'"},
      {{netlist, "-samples", "8", "-replicates", "2", "-target-error", "0"},
       "-target-error must be a positive number, not '0'"},
      {{netlist, "-workers", "4", "-dir", "a\nb"}, "a path holds a line break"},
      {{"/nonexistent.v", "-workers", "4", "-dir", "j"}, "cannot read the netlist '/nonexistent.v'"},
      {{INFOLOSS_CIRCUITS, "-workers", "4", "-dir", "j"}, "cannot read the netlist '" INFOLOSS_CIRCUITS "'"},
      {{netlist, "-workers", "4", "-dir", "j", "-jobs", "0"}, "-jobs must be a positive number, not '0'"},
      {{netlist, "-workers", "4", "-dir", "j", "-hosts", "/nonexistent"},
       "cannot read the host list '/nonexistent'"},
  };
  for (const auto& [line, message] : cases) {
    const job_failure refused = refusal_of(line);
    EXPECT_EQ(refused.status, job::exit_status::refused) << message;
    EXPECT_EQ(refused.message, message);
  }
  EXPECT_EQ(refusal_of({netlist, "-samples", "8", "-replicates", "4294967296", "-dir", "j"}).status, -1);
}

TEST(JobArguments, DecimalNumbersAsTheJobWritesThem) {
  EXPECT_EQ(job::decimal_number("0"), 0u);
  EXPECT_EQ(job::decimal_number("999999999999999999"), 999999999999999999u);
  for (const char* bad : {"", "00", "07", "-1", "+1", "1 ", "1e3", "1000000000000000000"})
    EXPECT_FALSE(job::decimal_number(bad)) << bad;
}

TEST(JobArguments, RunOptionsAreThoseThatLeaveTheCountsAlone) {
  for (const char* option : {"-limit-time", "-use-bits", "-print-every", "-no-cache", "-limit-size"})
    EXPECT_TRUE(job::is_run_option(option)) << option;
  for (const char* option : {"-input-sort", "-filetype", "-method", "-samples", "-seed", "-sampling"})
    EXPECT_FALSE(job::is_run_option(option)) << option;
}
