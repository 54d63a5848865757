#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// How each worker of a job ended, judged from the files it left in the job directory.
namespace job {

// The state of a worker with a complete result.
inline constexpr std::string_view done = "done";

// Worker W's file with the given extension: DIR/worker-W.EXTENSION.
std::filesystem::path worker_file(const std::filesystem::path& dir, std::uint64_t worker,
                                  std::string_view extension);

// The state of worker W's result: "done" only when its status file says so and its count file
// exists (fullsim writes both only when complete, the count file first); else the status file's
// word ("out-of-time"), "failed" (it ran but left no status), "count file missing" or "not run".
std::string read_worker_state(const std::filesystem::path& dir, std::uint64_t worker);

// A worker without a complete result.
struct pending_worker {
  std::uint64_t number = 0;
  std::string state;
};

// The workers 0 to `workers` - 1 of the job in `dir` without a complete result, in number order.
std::vector<pending_worker> pending_workers(const std::filesystem::path& dir, std::uint64_t workers);

// The pending workers as "pending" lists them: "W state" per line.
std::string pending_lines(const std::vector<pending_worker>& pending);

// The pending workers in one line, naming at most the first 20: "2 of 4 workers have no complete
// result: 1 (failed), 3 (not run)".
std::string describe_pending(const std::vector<pending_worker>& pending, std::uint64_t workers);

}  // namespace job
