// fullsim: simulates a combinational netlist exhaustively and counts, for every gate that loses
// information, how often each combination of its input values occurs.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "counting/count.hpp"
#include "fullsim/command_line.hpp"
#include "fullsim/phase.hpp"
#include "fullsim/size_limits.hpp"
#include "fullsim/statistics.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "util/argparse/base.hpp"
#include "util/entry.hpp"
#include "util/error.hpp"
#include "util/output_file.hpp"
#include "util/result_paths.hpp"
#include "util/string.hpp"

namespace {

namespace fs = std::filesystem;
using operation::nid_t;
using params = util::argparse::params;

// Refuses an unwritable result path before any work is done.
void check_result_paths(const params& args) {
  util::check_result_paths(args, {"-o", "-save-status", "-save-progress", "-save-inputs", "-save-outputs",
                                  "-save-size", "-save-depth", "-save-time", "-save-full-time",
                                  "-save-memory", "-save-same", "-save-ranks", "-save-signals"});
}

operation::Circuit read_netlist(const params& args) {
  const util::phase reading = fullsim::phase("reading file");
  operation::Circuit circ =
      operation::read(args.get<fs::path>("input"), args.get_ref("-filetype"), std::cout);
  reading.end();
  return circ;
}

void sort_circuit(operation::Circuit& circ) {
  const util::phase sorting = fullsim::phase("topological sort");
  operation::sort_topologically(circ);
  sorting.end();
}

// The result files that were asked for.
counting::result_files result_files(const params& args) {
  const auto path = [&](const std::string& name) {
    return args.is_set(name) ? std::optional(args.get<fs::path>(name)) : std::nullopt;
  };
  return {path("-o"),         path("-save-status"), path("-save-progress"),
          path("-save-time"), path("-save-memory"), path("-save-same")};
}

// The name of the phase that spans the whole run, chosen from the command line before it is parsed
// (the phase starts first): counting with decision diagrams, else evaluating tables of bits.
std::string_view run_phase_name(int argc, char** argv) {
  bool symbolic = false;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string_view(argv[i]) == "-method") symbolic = std::string_view(argv[i + 1]) == "bdd";
  return symbolic ? "running decision-diagram count" : "running bitset evaluation";
}

void save_full_time(const params& args, double seconds) {
  if (args.is_set("-save-full-time"))
    util::write_file(args.get<fs::path>("-save-full-time"), util::string::fromf(seconds, 18) + '\n');
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("fullsim", [&] {
    const util::phase run = fullsim::phase(run_phase_name(argc, argv));
    const params args = fullsim::parse_args(argc, argv);
    check_result_paths(args);
    operation::Circuit circ = read_netlist(args);
    if (!fullsim::within_size_limits(args, circ, std::cerr)) return util::exit_status::size_limit;
    const bool evaluate = !args.get<bool>("-no-eval");
    const counting::settings config = fullsim::counting_settings(args);
    if (evaluate) counting::check_split(circ.input_count(), config);
    sort_circuit(circ);
    const std::vector<nid_t> ranks = circ.get_ranks();
    fullsim::save_statistics(args, circ, ranks);
    if (!evaluate) return util::exit_status::success;
    counting::count(circ, ranks, config, result_files(args));
    save_full_time(args, run.elapsed());
    run.end_last();
    return util::exit_status::success;
  });
}
