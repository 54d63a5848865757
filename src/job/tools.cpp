#include "job/tools.hpp"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "job/error.hpp"
#include "job/files.hpp"
#include "job/process.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

bool is_executable_file(const fs::path& path) { return is_file(path) && access(path.c_str(), X_OK) == 0; }

// Every executable file called `name` in the directories of PATH, in PATH's order.
std::vector<fs::path> on_path(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::vector<fs::path> found;
  for (std::string_view rest = path == nullptr ? "" : path; !rest.empty();) {
    const std::string_view dir = util::string::lsplit(rest, ":", rest);
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
    if (is_executable_file(candidate)) found.push_back(candidate);
  }
  return found;
}

// Whether the program's usage summary names it as one of the suite's programs.
bool is_ours(const fs::path& program, std::string_view name) {
  const child_result help =
      run_child({program.string(), "--help"}, {.out = sink::capture, .err = sink::capture});
  const std::string usage = concat("usage: ", name, " [options]");
  for (std::string_view rest = help.output; !rest.empty();)
    if (util::string::lsplit(rest, "\n", rest).starts_with(usage)) return true;
  return false;
}

// Where an installed front command keeps the program, or "".
fs::path from_front_command(std::string_view name) {
  const std::vector<fs::path> front = on_path("infoloss");
  if (front.empty()) return {};
  const child_result answer = run_child({front.front().string(), "--path", std::string(name)},
                                        {.out = sink::capture, .err = sink::discard});
  return answer.status == 0 ? fs::path(util::string::rtrim(answer.output, "\n")) : fs::path();
}

}  // namespace

fs::path own_program() { return fs::read_symlink("/proc/self/exe"); }

fs::path find_tool(std::string_view name) {
  const fs::path self = own_program();
  const fs::path beside = self.parent_path() / name;
  if (access(beside.c_str(), X_OK) == 0) return beside;
  for (const fs::path& candidate : on_path(name))
    if (name == "parallel" || is_ours(candidate, name)) return candidate;
  const fs::path installed = name == "parallel" ? fs::path() : from_front_command(name);
  if (installed.empty())
    refuse(concat("cannot find ", name, " (neither beside ", self.string(), " nor on PATH)"));
  return installed;
}

}  // namespace job
