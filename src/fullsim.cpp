// fullsim: simulates a combinational netlist exhaustively and counts, for every gate that loses
// information, how often each combination of its input values occurs.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "fullsim/input_order.hpp"
#include "fullsim/phase.hpp"
#include "fullsim/size_limits.hpp"
#include "fullsim/statistics.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "simulation/engine.hpp"
#include "util/argparse/base.hpp"
#include "util/entry.hpp"
#include "util/output_file.hpp"
#include "util/result_paths.hpp"
#include "util/string.hpp"

namespace {

namespace fs = std::filesystem;
using operation::nid_t;
using params = util::argparse::params;
using option = util::argparse::option;

params parse_args(int argc, const char* const* argv) {
  util::argparse parser;
  const auto value = [&](const std::string& name, std::string default_value, std::string meaning,
                         const util::string_set& choices = {}) {
    parser.add(name, std::move(default_value), choices);
    parser.describe(name, std::move(meaning));
  };
  const auto flag = [&](const std::string& name, std::string meaning) {
    parser.add(name, option::enabler);
    parser.describe(name, std::move(meaning));
  };
  parser.add("input", option::required);
  parser.describe("input", "the netlist to simulate");
  value("-o", "", "file receiving each gate's input-combination counts (name,gate,combinations)");
  value("-filetype", "", "netlist format; by default the file extension decides (.v, .tree)",
        operation::supported_types);
  flag("-no-eval", "stop after the structural statistics, without simulating");
  flag("-no-cache", "evaluate every gate in every batch (no cache of unchanged values)");
  flag("-no-gray-code", "enumerate the batches in counting order instead of Gray-code order");
  flag("-no-watch-changes", "do not compare gate outputs with those of the previous batch");
  value("-save-status", "", "file receiving the run's status (done or out-of-time)");
  value("-save-progress", "", "file receiving the batches and gates completed");
  value("-save-inputs", "", "file receiving the number of primary inputs");
  value("-save-outputs", "", "file receiving the number of primary outputs");
  value("-save-size", "", "file receiving the number of nodes");
  value("-save-depth", "", "file receiving the number of logic levels");
  value("-save-time", "", "file receiving the simulation time in seconds");
  value("-save-full-time", "", "file receiving the wall time of the whole run in seconds");
  value("-save-memory", "", "file receiving the peak resident memory in bytes");
  value("-save-same", "", "file receiving the number of value tables found unchanged");
  value("-save-ranks", "", "file receiving the level of every node (name,rank)");
  value("-save-signals", "", "file receiving the signal count of every level section");
  value("-limit-inputs", "", "refuse netlists with more primary inputs (exit status 1)");
  value("-limit-outputs", "", "refuse netlists with more primary outputs (exit status 1)");
  value("-limit-size", "", "refuse netlists with more nodes (exit status 1)");
  value("-limit-memory", "", "address-space limit of the process in bytes");
  value("-limit-time", "", "simulation time limit in seconds");
  flag("-predict-time", "stop early when the predicted time exceeds three times -limit-time");
  value("-input-sort", "reach", "input order: by index, by the nodes each reaches, or by fan-out",
        {"no", "reach", "fanouts"});
  value("-use-bits", "", "inputs simulated bit-parallel in one batch (default: all)");
  value("-sel-bits", "0", "inputs fixed by the worker number (2^N workers share the job)");
  value("-worker", "0", "this worker's number, from 0 to 2^sel-bits - 1");
  value("-print-every", "10000", "batches between progress lines; 0: no progress or summary");
  return parser.parse(static_cast<std::uint64_t>(argc), argv);
}

// Refuses an unwritable result path before any work is done.
void check_result_paths(const params& args) {
  util::check_result_paths(args, {"-o", "-save-status", "-save-progress", "-save-inputs", "-save-outputs",
                                  "-save-size", "-save-depth", "-save-time", "-save-full-time",
                                  "-save-memory", "-save-same", "-save-ranks", "-save-signals"});
}

operation::Circuit read_netlist(const params& args) {
  const util::phase reading = fullsim::phase("reading file");
  operation::Circuit circ = operation::read(args.get<fs::path>("input"), args.get_ref("-filetype"));
  reading.end();
  return circ;
}

void sort_circuit(operation::Circuit& circ) {
  const util::phase sorting = fullsim::phase("topological sort");
  operation::sort_topologically(circ);
  sorting.end();
}

// The simulation's choices from the command line; options without a default count only when given.
simulation::settings simulation_settings(const params& args) {
  simulation::settings config;
  if (args.is_set("-use-bits")) config.use_bits = args.get<std::uint32_t>("-use-bits");
  if (args.is_set("-sel-bits")) config.sel_bits = args.get<std::uint32_t>("-sel-bits");
  config.worker = args.get<std::uint64_t>("-worker");
  config.use_cache = !args.get<bool>("-no-cache");
  config.use_gray_code = !args.get<bool>("-no-gray-code");
  config.watch_changes = !args.get<bool>("-no-watch-changes");
  config.print_every = args.get<std::uint64_t>("-print-every");
  if (args.is_set("-limit-time")) config.time_limit = args.get<double>("-limit-time");
  config.time_predict = args.get<bool>("-predict-time");
  if (args.is_set("-limit-memory")) config.memory_limit = args.get<std::uint64_t>("-limit-memory");
  return config;
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
  simulation::engine engine(circ, std::move(order), ranks.size() - 3, config);
  engine.build_structures();
  engine.apply_limits();
  engine.build_bitsets();
  engine.simulate();
  engine.write_results(result_files(args));
  engine.free_memory();
}

void save_full_time(const params& args, double seconds) {
  if (args.is_set("-save-full-time"))
    util::write_file(args.get<fs::path>("-save-full-time"), util::string::fromf(seconds, 18) + '\n');
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("fullsim", [&] {
    const util::phase run = fullsim::phase("running bitset evaluation");
    const params args = parse_args(argc, argv);
    check_result_paths(args);
    operation::Circuit circ = read_netlist(args);
    if (!fullsim::within_size_limits(args, circ, std::cerr)) return util::exit_status::size_limit;
    const bool evaluate = !args.get<bool>("-no-eval");
    const simulation::settings config = simulation_settings(args);
    // A worker past the last share, or a split the 64-bit counts cannot hold, is refused now.
    if (evaluate) simulation::split_inputs(circ.input_count(), config);
    sort_circuit(circ);
    const std::vector<nid_t> ranks = circ.get_ranks();
    fullsim::save_statistics(args, circ, ranks);
    if (!evaluate) return util::exit_status::success;
    std::vector<nid_t> order = fullsim::order_inputs(circ, ranks, args.get_ref("-input-sort"));
    simulate(args, circ, ranks, std::move(order), config);
    save_full_time(args, run.elapsed());
    run.end_last();
    return util::exit_status::success;
  });
}
