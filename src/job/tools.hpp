#pragma once

#include <filesystem>
#include <string_view>

// The programs that a job runs, and where they are found.
namespace job {

// The programs of a job. infoloss-job gives its own_program() as the job program; another program
// that drives a job gives the path of infoloss-job beside it, as the front command finds its programs.
struct tools {
  std::filesystem::path fullsim;
  std::filesystem::path join;
  std::filesystem::path parallel;     // GNU parallel: the local driver's only
  std::filesystem::path job_program;  // infoloss-job, whose "worker JOBDIR W" GNU parallel runs per worker
};

// This process's program, with every symbolic link resolved.
std::filesystem::path own_program();

// The path of the suite's program `name` (or of "parallel"): beside this process's program (a build
// directory, or the installed programs' directory), else the first on PATH whose --help starts a
// line with "usage: NAME [options]" (coreutils has a join of its own; any parallel will do), else
// what an installed front command "infoloss --path NAME" names. Refuses (exit status 2) when none.
std::filesystem::path find_tool(std::string_view name);

}  // namespace job
