#include "job/worker_state.hpp"

#include "job/files.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

fs::path worker_file(const fs::path& dir, std::uint64_t worker, std::string_view extension) {
  return dir / concat("worker-", worker, '.', extension);
}

std::string read_worker_state(const fs::path& dir, std::uint64_t worker) {
  const fs::path status = worker_file(dir, worker, "status");
  std::string state = is_file(status) ? std::string(util::string::trim(first_line(status), " \t")) : "";
  if (state == done) {
    if (!is_file(worker_file(dir, worker, "csv"))) state = "count file missing";
  } else if (state.empty()) {
    state = is_file(worker_file(dir, worker, "log")) ? "failed" : "not run";
  }
  return state;
}

std::vector<pending_worker> pending_workers(const fs::path& dir, std::uint64_t workers) {
  std::vector<pending_worker> pending;
  for (std::uint64_t w = 0; w < workers; ++w) {
    std::string state = read_worker_state(dir, w);
    if (state != done) pending.push_back({w, std::move(state)});
  }
  return pending;
}

std::string pending_lines(const std::vector<pending_worker>& pending) {
  std::string lines;
  for (const pending_worker& worker : pending) lines += concat(worker.number, ' ', worker.state, '\n');
  return lines;
}

std::string describe_pending(const std::vector<pending_worker>& pending, std::uint64_t workers) {
  constexpr std::size_t named = 20;
  std::string list;
  for (std::size_t i = 0; i < pending.size() && i < named; ++i)
    list += concat(i > 0 ? ", " : "", pending[i].number, " (", pending[i].state, ')');
  return concat(pending.size(), " of ", workers, " workers have no complete result: ", list,
                pending.size() > named ? ", ..." : "");
}

}  // namespace job
