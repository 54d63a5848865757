#include "job/job_file.hpp"

#include <gtest/gtest.h>

#include "job/error.hpp"
#include "job_dir.hpp"
#include "util/error.hpp"

namespace {

using job::parameters;

parameters exhaustive() {
  parameters params;
  params.netlist = "/data/ctrl.v";
  params.checksum = "abc123";
  params.workers = 4;
  params.fixed_options = {"-input-sort", "no"};
  params.run_options = {"-limit-time", "80", "-use-bits", "auto"};
  return params;
}

parameters sampled(std::uint64_t replicates, std::uint64_t round, std::string target = "") {
  parameters params;
  params.netlist = "/data/int2float.v";
  params.checksum = "def456";
  params.workers = replicates;
  params.sampled = true;
  params.sampling = "independent";
  params.round = round;
  params.target_error = std::move(target);
  params.fixed_options = {"-samples", "16", "-use-bits", "4"};
  params.run_options = {"-print-every", "0"};
  return params;
}

void expect_same(const parameters& read, const parameters& written) {
  EXPECT_EQ(read.netlist, written.netlist);
  EXPECT_EQ(read.checksum, written.checksum);
  EXPECT_EQ(read.workers, written.workers);
  EXPECT_EQ(read.sampled, written.sampled);
  EXPECT_EQ(read.sampling, written.sampling);
  EXPECT_EQ(read.round, written.round);
  EXPECT_EQ(read.target_error, written.target_error);
  EXPECT_EQ(read.fixed_options, written.fixed_options);
  EXPECT_EQ(read.run_options, written.run_options);
}

std::string input_error_of(const std::filesystem::path& file) {
  try {
    job::read_job_file(file);
  } catch (const util::input_error& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace

using JobFiles = JobDir;

// The lines that the job directories of earlier drivers hold, so that they resume unchanged.
TEST(JobFile, TextKeepsTheRecordedFormat) {
  EXPECT_EQ(job::job_text(exhaustive()),
            "netlist\t/data/ctrl.v\nchecksum\tabc123\nworkers\t4\noption\t-input-sort\noption\tno\n"
            "run-option\t-limit-time\nrun-option\t80\nrun-option\t-use-bits\nrun-option\tauto\n");
  // One round without a target leaves the round out.
  EXPECT_EQ(job::job_text(sampled(3, 3)),
            "netlist\t/data/int2float.v\nchecksum\tdef456\nreplicates\t3\nsampling\tindependent\n"
            "option\t-samples\noption\t16\noption\t-use-bits\noption\t4\nrun-option\t-print-every\nrun-"
            "option\t0\n");
  EXPECT_NE(job::job_text(sampled(2, 2, "1e-4"))
                .find("replicates\t2\nsampling\tindependent\nround\t2\n"
                      "target-error\t1e-4\noption\t"),
            std::string::npos);
  EXPECT_NE(job::job_text(sampled(6, 2)).find("replicates\t6\nsampling\tindependent\nround\t2\noption\t"),
            std::string::npos);
}

TEST_F(JobFiles, WrittenJobsReadBackAndLeaveNoTemporaryFile) {
  for (const parameters& params : {exhaustive(), sampled(3, 3), sampled(8, 2, "0.0004")}) {
    job::write_job_file(dir_, params);
    expect_same(job::read_job_file(dir_ / "job"), params);
    const job::recorded_job loaded = job::load_job(dir_);
    EXPECT_EQ(loaded.dir, dir_);
    expect_same(loaded.params, params);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()),
            1);
  const job_failure unwritable = failure_of([&] { job::write_job_file(dir_ / "missing", exhaustive()); });
  EXPECT_EQ(unwritable.status, job::exit_status::refused);
  EXPECT_EQ(unwritable.message, "cannot write " + (dir_ / "missing" / "job").string());
}

TEST_F(JobFiles, OldJobFilesSampleBatchesInOneRound) {
  write("job", "netlist\t/data/int2float.v\nchecksum\tdef456\nreplicates\t5\noption\t-samples\noption\t16\n");
  const parameters params = job::read_job_file(dir_ / "job");
  EXPECT_TRUE(params.sampled);
  EXPECT_EQ(params.sampling, "batch");
  EXPECT_EQ(params.round, 5u);
  EXPECT_EQ(params.workers, 5u);
  // An exhaustive job has neither.
  write("job", "netlist\t/data/ctrl.v\nworkers\t2\n");
  EXPECT_EQ(job::read_job_file(dir_ / "job").sampling, "");
  EXPECT_EQ(job::read_job_file(dir_ / "job").round, 0u);
}

TEST_F(JobFiles, MalformedJobFilesAreRefused) {
  const std::string file = (dir_ / "job").string();
  EXPECT_EQ(input_error_of(dir_ / "job"),
            file + ": Could not read the job file: is this a job directory of infoloss-job?");
  write("job", "netlist\t/x.v\nworkers\t2\nbogus\t1\n");
  EXPECT_EQ(input_error_of(dir_ / "job"), file + ": unknown line 'bogus'");
  write("job", "netlist\t/x.v\nworkers\t2\n\n");
  EXPECT_EQ(input_error_of(dir_ / "job"), file + ": unknown line ''");
  for (const char* count : {"0", "-1", "two", "", "3 "}) {
    write("job", std::string("netlist\t/x.v\nreplicates\t") + count + "\n");
    EXPECT_EQ(input_error_of(dir_ / "job"), file + ": Line 2: The worker count is not a positive number.")
        << count;
  }
  write("job", "netlist\t/x.v\nreplicates\t4\nround\t0\n");
  EXPECT_EQ(input_error_of(dir_ / "job"), file + ": Line 3: The round size is not a positive number.");
  write("job", "netlist\t/x.v\nreplicates\t4\ntarget-error\t-1\n");
  EXPECT_EQ(input_error_of(dir_ / "job"), file + ": Line 3: The target error is not a positive number.");
  write("job", "checksum\t0\nworkers\t2\n");
  EXPECT_EQ(input_error_of(dir_ / "job"), file + ": The job file names no netlist or no worker count.");

  // The driver refuses them with the same words, and a directory without a job with a hint.
  EXPECT_EQ(failure_of([&] { job::load_job(dir_); }).message,
            file + ": The job file names no netlist or no worker count.");
  const job_failure none = failure_of([&] { job::load_job(dir_ / "other"); });
  EXPECT_EQ(none.status, job::exit_status::refused);
  EXPECT_EQ(none.message, (dir_ / "other").string() + " holds no job (start it with: infoloss-job NETLIST " +
                              "-workers N -dir " + (dir_ / "other").string() + ")");
}

TEST(JobFile, SelBitsSplitTheWorkersOfExhaustiveJobsOnly) {
  parameters params = exhaustive();
  for (const auto& [workers, bits] : {std::pair{1u, 0u}, {2u, 1u}, {4u, 2u}, {1024u, 10u}}) {
    params.workers = workers;
    EXPECT_EQ(job::sel_bits(params), bits) << workers;
  }
  EXPECT_EQ(job::sel_bits(sampled(8, 8)), 0u);
}

TEST(JobFile, TargetErrorsArePositiveDecimals) {
  for (const char* good : {"1e-4", "0.001", ".5", "3", "2.", "1E+2"})
    EXPECT_TRUE(job::target_error_value(good)) << good;
  for (const char* bad : {"", "0", "0.0", "-1", "1e-400", "abc", "1e", "0x10", " 1", "inf", "nan"})
    EXPECT_FALSE(job::target_error_value(bad)) << bad;
  EXPECT_DOUBLE_EQ(*job::target_error_value("2.5e-3"), 0.0025);
}
