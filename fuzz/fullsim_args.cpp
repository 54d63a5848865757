// Fuzzes fullsim's command line: parsing it, reading every value fullsim reads, and checking the
// size limits and splitting the inputs of netlists of several sizes as the values ask. The input
// holds one argument per line. A bad command line must be refused with the parser's errors.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "counting/input_split.hpp"
#include "fullsim/command_line.hpp"
#include "fullsim/size_limits.hpp"
#include "operation/circuit.hpp"
#include "operation/read/read.hpp"
#include "support/arguments.hpp"
#include "support/failure.hpp"
#include "support/scratch_file.hpp"
#include "util/argparse/base.hpp"

namespace {

// A circuit of two inputs and one output, for the size limits.
const operation::Circuit& small_circuit() {
  static const operation::Circuit circuit = [] {
    operation::Circuit built(4);
    built.emplace_node("a", operation::gates::I);
    built.emplace_node("b", operation::gates::I);
    built.emplace_node("g", operation::gates::AND);
    built.emplace_node("o", operation::gates::O);
    return built;
  }();
  return circuit;
}

// Fails unless a split of `inputs` inputs that was accepted covers them all in countable parts
// and gives the worker a share of its own.
void check_split(operation::nid_t inputs, const counting::settings& config) {
  try {
    const counting::input_split split = counting::split_inputs(inputs, config);
    fuzz::check(std::uint64_t{split.sel_bits} + split.use_bits + split.var_bits == inputs, "split of ",
                inputs, " inputs does not add up");
    fuzz::check(split.use_bits < 64 && split.var_bits < 64, "split of ", inputs, " inputs overflows");
    fuzz::check(split.sel_bits >= 64 || config.worker >> split.sel_bits == 0, "worker ", config.worker,
                " accepted for ", split.sel_bits, " sel bits");
  } catch (const util::usage_error&) {
  }
}

void read_values(const util::argparse::params& args) {
  const counting::settings config = fullsim::counting_settings(args);
  std::ostringstream refusal;
  (void)fullsim::within_size_limits(args, small_circuit(), refusal);
  for (const operation::nid_t inputs : {0u, 1u, 5u, 63u, 64u, 127u, 200u, 4294967295u})
    check_split(inputs, config);
  (void)args.get<std::filesystem::path>("input");
  const std::string& type = args.get_ref("-filetype");
  fuzz::check(type.empty() || operation::supported_types.contains(type), "file type '", type, "' accepted");
  const std::string& order = args.get_ref("-input-sort");
  fuzz::check(order == "no" || order == "reach" || order == "fanouts", "input order '", order, "' accepted");
  for (const std::string option :
       {"-o", "-save-status", "-save-progress", "-save-inputs", "-save-outputs", "-save-size", "-save-depth",
        "-save-time", "-save-full-time", "-save-memory", "-save-same", "-save-ranks", "-save-signals"})
    if (args.is_set(option)) (void)args.get<std::filesystem::path>(option);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::arguments command_line("fullsim", fuzz::as_text(data, size));
  try {
    read_values(fullsim::parse_args(command_line.argc(), command_line.argv()));
  } catch (const util::exception&) {
  } catch (const util::help_requested&) {
  }
  return 0;
}
