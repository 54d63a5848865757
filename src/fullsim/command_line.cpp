#include "fullsim/command_line.hpp"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "operation/read/read.hpp"
#include "util/error.hpp"
#include "util/string.hpp"

namespace fullsim {

using params = util::argparse::params;
using option = util::argparse::option;

namespace {

// Reads a time limit in seconds, which cannot be negative ("inf": no limit).
double seconds(const std::string& text) {
  const double value = params::default_conversor<double>(text);
  if (!(value >= 0)) throw std::out_of_range("seconds must be 0 or more");
  return value;
}

// Reads a number of samples, at least 1.
std::uint64_t samples(const std::string& text) {
  const auto value = params::default_conversor<std::uint64_t>(text);
  if (value == 0) throw std::out_of_range("a sample needs at least one batch");
  return value;
}

// The sampling choices, when "-samples" is given; "-seed", "-replicate" and "-sampling" mean
// nothing without it.
std::optional<counting::sampling> sampling_settings(const params& args) {
  if (!args.is_set("-samples")) {
    for (const char* name : {"-seed", "-replicate", "-sampling"})
      if (args.is_set(name)) throw util::usage_error(util::string::concat("'", name, "' needs '-samples'."));
    return std::nullopt;
  }
  const counting::sample_kind kind = args.get_ref("-sampling") == "batch"
                                         ? counting::sample_kind::batch
                                         : counting::sample_kind::independent;
  return counting::sampling{args.get<std::uint64_t>("-samples", samples), args.get<std::uint64_t>("-seed"),
                            args.get<std::uint32_t>("-replicate"), kind};
}

}  // namespace

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
  value("-filetype", "", "netlist format; by default the file extension decides (.v, .tree, .aag, .aig)",
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
  value("-input-sort", "reach",
        "input order: by index, by the nodes each reaches, by fan-out, or depth- or breadth-first from the "
        "outputs (depth-level: deeper fan-in first; with -method bdd also the diagrams' variable order, by "
        "default breadth)",
        {"no", "reach", "fanouts", "depth", "depth-level", "breadth"});
  value("-use-bits", "",
        "inputs simulated bit-parallel in one batch, or auto (default: all; 12 with -samples)");
  value("-sel-bits", "0", "inputs fixed by the worker number (2^N workers share the job)");
  value("-worker", "0", "this worker's number, from 0 to 2^sel-bits - 1");
  value("-method", "enumerate",
        "how to count: enumerate the input assignments, or count exactly with decision diagrams (bdd)",
        {"enumerate", "bdd"});
  value("-print-every", "10000",
        "batches (-method bdd: gates) between progress lines; 0: no progress or summary");
  value("-samples", "", "count N batches of random patterns instead of enumerating the inputs (no cache)");
  value("-sampling", "independent",
        "how -samples draws a batch: every pattern an independent draw of all inputs, or random var inputs "
        "with every assignment of the use inputs (batch)",
        {"independent", "batch"});
  value("-seed", "0", "key of the random batches of -samples");
  value("-replicate", "0", "which independent stream of the seed -samples draws from (0 to 2^32 - 1)");
  return parser.parse(static_cast<std::uint64_t>(argc), argv);
}

counting::settings counting_settings(const params& args) {
  counting::settings config;
  config.method = args.get_ref("-method") == "bdd" ? counting::method::bdd : counting::method::enumerate;
  if (args.is_set("-input-sort")) config.input_sort = args.get_ref("-input-sort");
  config.choose_use_bits = args.is_set("-use-bits") && args.get_ref("-use-bits") == "auto";
  if (args.is_set("-use-bits") && !config.choose_use_bits)
    config.use_bits = args.get<std::uint32_t>("-use-bits");
  if (args.is_set("-sel-bits")) config.sel_bits = args.get<std::uint32_t>("-sel-bits");
  config.worker = args.get<std::uint64_t>("-worker");
  config.use_cache = !args.get<bool>("-no-cache");
  config.use_gray_code = !args.get<bool>("-no-gray-code");
  config.watch_changes = !args.get<bool>("-no-watch-changes");
  config.print_every = args.get<std::uint64_t>("-print-every");
  if (args.is_set("-limit-time")) config.time_limit = args.get<double>("-limit-time", seconds);
  config.time_predict = args.get<bool>("-predict-time");
  if (args.is_set("-limit-memory")) config.memory_limit = args.get<std::uint64_t>("-limit-memory");
  config.sampling = sampling_settings(args);
  if (config.method == counting::method::bdd && config.sampling)
    throw util::usage_error(
        "'-samples' estimates by enumerating random batches; it does not combine with "
        "'-method bdd', which counts exactly.");
  return config;
}

}  // namespace fullsim
