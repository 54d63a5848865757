// fullsim: simulates a combinational netlist exhaustively and counts, for every gate that loses
// information, how often each combination of its input values occurs.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bdd/engine.hpp"
#include "fullsim/command_line.hpp"
#include "fullsim/input_order.hpp"
#include "fullsim/phase.hpp"
#include "fullsim/size_limits.hpp"
#include "fullsim/statistics.hpp"
#include "fullsim/use_bits.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "simulation/engine.hpp"
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

// The simulation's result files that were asked for.
simulation::result_files result_files(const params& args) {
  const auto path = [&](const std::string& name) {
    return args.is_set(name) ? std::optional(args.get<fs::path>(name)) : std::nullopt;
  };
  return {path("-o"),         path("-save-status"), path("-save-progress"),
          path("-save-time"), path("-save-memory"), path("-save-same")};
}

// Runs the simulation phases, from "building structures" to "freeing memory", and writes the
// simulation's result files. `order` holds input indices, var inputs first.
void simulate(const params& args, const operation::Circuit& circ, const std::vector<nid_t>& ranks,
              std::vector<nid_t> order, const simulation::settings& config) {
  simulation::run(circ, std::move(order), fullsim::level_count(ranks), config, result_files(args));
}

// Counts with decision diagrams, from "building structures" to "freeing memory", and writes the
// result files. The sel inputs come from "-input-sort" (by default "reach"), as in the enumeration,
// so that both methods' workers share the input space alike; the diagrams' variables follow
// "-input-sort" when it is given, else the breadth-first order from the outputs (best for words
// that meet bit by bit), with the deeper-first order (best for control logic and trees of adders)
// to start again in when the diagrams grow large.
void count_symbolically(const params& args, const operation::Circuit& circ, const std::vector<nid_t>& ranks,
                        const simulation::settings& config) {
  symbolic::input_orders orders;
  const bool sort_given = args.is_set("-input-sort");
  if (config.sel_bits != 0 || sort_given)
    orders.split = fullsim::order_inputs(circ, ranks, args.get_ref("-input-sort"));
  orders.variables = sort_given ? orders.split : fullsim::breadth_first_order(circ);
  if (!sort_given) orders.fallback = fullsim::deeper_first_order(circ);
  symbolic::run(circ, std::move(orders), fullsim::level_count(ranks), config, result_files(args));
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
    simulation::settings config = fullsim::simulation_settings(args);
    const bool symbolic = args.get_ref("-method") == "bdd";
    if (symbolic && config.sampling)
      throw util::usage_error(
          "'-samples' estimates by enumerating random batches; it does not combine with "
          "'-method bdd', which counts exactly.");
    // A sample must not depend on the machine: with "-samples", "-use-bits auto" keeps the sampled
    // runs' default.
    const bool choose_use_bits = !symbolic && fullsim::use_bits_auto(args) && !config.sampling;
    // A worker past the last share, or an enumeration the 64-bit counts cannot hold, is refused now
    // (with "-use-bits auto", once the use bits are chosen).
    if (evaluate && symbolic) simulation::worker_sel_bits(circ.input_count(), config);
    if (evaluate && !symbolic && !choose_use_bits) simulation::split_inputs(circ.input_count(), config);
    sort_circuit(circ);
    const std::vector<nid_t> ranks = circ.get_ranks();
    fullsim::save_statistics(args, circ, ranks);
    if (!evaluate) return util::exit_status::success;
    if (symbolic) {
      count_symbolically(args, circ, ranks, config);
    } else {
      if (choose_use_bits) {
        fullsim::auto_use_bits(circ, config);
      } else if (!config.sampling) {
        fullsim::advise_use_bits(circ, config, std::cerr);
      }
      simulate(args, circ, ranks, fullsim::order_inputs(circ, ranks, args.get_ref("-input-sort")), config);
    }
    save_full_time(args, run.elapsed());
    run.end_last();
    return util::exit_status::success;
  });
}
