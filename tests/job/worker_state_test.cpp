#include "job/worker_state.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job_dir.hpp"

namespace {

std::vector<std::string> states(const std::vector<job::pending_worker>& pending) {
  std::vector<std::string> found;
  for (const job::pending_worker& worker : pending)
    found.push_back(std::to_string(worker.number) + " " + worker.state);
  return found;
}

}  // namespace

using WorkerStates = JobDir;

// Only a status file saying "done" beside a count file makes a complete result: fullsim writes the
// count file first, and an out-of-time run (exit status 0) leaves a status of its own.
TEST_F(WorkerStates, ComeFromTheFilesLeft) {
  write("worker-1.log", "fullsim: killed\n");
  write("worker-2.status", "done\n");
  write("worker-2.csv", "name,gate,combinations\n");
  write("worker-3.status", "done\n");
  write("worker-4.status", "out-of-time\n");
  write("worker-4.csv", "name,gate,combinations\n");
  write("worker-5.status", " done \n");  // read as the shell reads a word
  write("worker-5.csv", "");
  write("worker-6.status", "");
  write("worker-6.log", "");
  EXPECT_EQ(job::read_worker_state(dir_, 0), "not run");
  EXPECT_EQ(job::read_worker_state(dir_, 1), "failed");
  EXPECT_EQ(job::read_worker_state(dir_, 2), "done");
  EXPECT_EQ(job::read_worker_state(dir_, 3), "count file missing");
  EXPECT_EQ(job::read_worker_state(dir_, 4), "out-of-time");
  EXPECT_EQ(job::read_worker_state(dir_, 5), "done");
  EXPECT_EQ(job::read_worker_state(dir_, 6), "failed");
  std::filesystem::create_directory(dir_ / "worker-7.csv");  // not a count file
  write("worker-7.status", "done\n");
  EXPECT_EQ(job::read_worker_state(dir_, 7), "count file missing");

  const std::vector<job::pending_worker> pending = job::pending_workers(dir_, 8);
  EXPECT_EQ(states(pending), (std::vector<std::string>{"0 not run", "1 failed", "3 count file missing",
                                                       "4 out-of-time", "6 failed", "7 count file missing"}));
  EXPECT_EQ(job::pending_lines(pending),
            "0 not run\n1 failed\n3 count file missing\n4 out-of-time\n6 failed\n7 count file missing\n");
  EXPECT_EQ(job::describe_pending(pending, 8),
            "6 of 8 workers have no complete result: 0 (not run), 1 (failed), 3 (count file missing), "
            "4 (out-of-time), 6 (failed), 7 (count file missing)");
  EXPECT_EQ(job::pending_workers(dir_, 3).size(), 2u);
}

TEST_F(WorkerStates, DescriptionsNameTheFirst20PendingWorkers) {
  const std::vector<job::pending_worker> pending = job::pending_workers(dir_, 22);
  const std::string description = job::describe_pending(pending, 22);
  EXPECT_EQ(description.rfind("22 of 22 workers have no complete result: 0 (not run), 1 (not run), ", 0), 0u);
  EXPECT_TRUE(description.ends_with(", 19 (not run), ...")) << description;
  EXPECT_EQ(job::describe_pending(job::pending_workers(dir_, 20), 20).find("..."), std::string::npos);
}
