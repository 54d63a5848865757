// infoloss: the suite's front command. "infoloss COMMAND ARGUMENTS…" runs the program of that
// command with the arguments unchanged. Installed, the programs live in a directory of their own
// (libexec/infoloss), so that none of them (join) hides a system command of the same name; in the
// build tree they stand beside this command.
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "util/argparse/exception.hpp"
#include "util/entry.hpp"
#include "util/string.hpp"

namespace {

namespace fs = std::filesystem;
using util::string::concat;

// One command and the program that runs it.
struct command {
  std::string_view name;
  std::string_view program;
  std::string_view summary;
};

constexpr std::array<command, 6> commands{{
    {"fullsim", "fullsim", "simulate a netlist and count each gate's input combinations"},
    {"join", "join", "sum the workers' count files; each gate's entropies and energy"},
    {"approximate", "approximate", "a quick estimate of the energy, without simulating"},
    {"job", "infoloss-job", "run fullsim as many workers (GNU parallel) and join them"},
    {"report", "report", "an HTML page of where a circuit's energy goes"},
    {"run", "infoloss-run", "count a netlist by the method that fits, then report: one command"},
}};

std::string usage() {
  std::string text =
      "usage: infoloss COMMAND [ARGUMENTS...]\n\nRuns the program of COMMAND with the arguments unchanged:\n";
  for (const command& c : commands)
    text += concat("  ", c.name, std::string(13 - c.name.size(), ' '), c.summary, '\n');
  return text +
         "\n\"infoloss COMMAND --help\" lists the options of a command; \"infoloss --path COMMAND\" prints\n"
         "the path of its program (for scripts that run it directly, such as the Slurm scripts).\n";
}

const command& find_command(std::string_view name) {
  for (const command& c : commands)
    if (c.name == name) return c;
  throw util::exception(concat("unknown command '", name, "' (see infoloss --help)"));
}

// The program's path: in the installed programs' directory (INFOLOSS_PROGRAMS_DIR, relative to this
// command's directory), else beside this command.
fs::path find_program(std::string_view program) {
  const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
  const std::array<fs::path, 2> places{(here / INFOLOSS_PROGRAMS_DIR / program).lexically_normal(),
                                       here / program};
  for (const fs::path& place : places)
    if (access(place.c_str(), X_OK) == 0) return place;
  throw std::runtime_error(
      concat("cannot find the program ", program, " (looked for ", places[0], " and ", places[1], ")"));
}

// Replaces this process with the program, given the arguments after the command.
[[noreturn]] void run(const fs::path& program, int argc, char** argv) {
  std::vector<char*> arguments{const_cast<char*>(program.c_str())};
  arguments.insert(arguments.end(), argv + 2, argv + argc);
  arguments.push_back(nullptr);
  std::cout.flush();
  execv(program.c_str(), arguments.data());
  throw std::runtime_error(concat("cannot run ", program.string(), ": ", std::strerror(errno)));
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("infoloss", [&] {
    const std::string_view first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h" || first == "help") {
      std::cout << usage();
      return util::exit_status::success;
    }
    if (first.empty()) throw util::exception("no command given (see infoloss --help)");
    if (first == "--path") {
      if (argc != 3) throw util::exception("usage: infoloss --path COMMAND");
      std::cout << find_program(find_command(argv[2]).program).string() << '\n';
      return util::exit_status::success;
    }
    run(find_program(find_command(first).program), argc, argv);
  });
}
