#include "job/process.hpp"

#include <gtest/gtest.h>

#include "job_dir.hpp"

using ChildProcesses = JobDir;

// Exit statuses as a shell gives them: the worker's messages tell a kill from a failure.
TEST(Process, StatusesAsAShellGivesThem) {
  EXPECT_EQ(job::run_child({"sh", "-c", "exit 5"}).status, 5);
  EXPECT_EQ(job::run_child({"sh", "-c", "kill -KILL $$"}).status, 128 + 9);
  EXPECT_EQ(job::run_child({"/nonexistent/fullsim"}, {.err = job::sink::discard}).status, 127);
  const job::child_result both = job::run_child({"sh", "-c", "echo out; echo err >&2"},
                                                {.out = job::sink::capture, .err = job::sink::capture});
  EXPECT_EQ(both.output, "out\nerr\n");
  EXPECT_EQ(job::run_child({"sh", "-c", "echo out; echo err >&2"},
                           {.out = job::sink::discard, .err = job::sink::capture})
                .output,
            "err\n");
}

TEST_F(ChildProcesses, ChildrenWriteLogsReadInputsAndRunWhereTold) {
  write("input", "0\n1\n");
  const job::child_result run =
      job::run_child({"sh", "-c", "pwd; cat; echo err >&2"},
                     {.input = dir_ / "input", .log = dir_ / "log", .directory = dir_});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(read("log"), dir_.string() + "\n0\n1\nerr\n");

  job::child fed({"sh", "-c", "cat > fed"}, {.feed_input = true, .directory = dir_});
  EXPECT_TRUE(fed.write_input("2\n3\n"));
  EXPECT_EQ(fed.finish().status, 0);
  EXPECT_EQ(read("fed"), "2\n3\n");
  // A child that stops reading ends the feeding, not this process.
  job::child deaf({"true"}, {.feed_input = true});
  const std::string lines(1 << 20, '\n');
  EXPECT_FALSE(deaf.write_input(lines));
  EXPECT_EQ(deaf.finish().status, 0);
}
