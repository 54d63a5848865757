#include "run/command_line.hpp"

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "operation/read/read.hpp"

namespace run {

using params = util::argparse::params;
using option = util::argparse::option;

namespace {

// A time limit in seconds, above 0.
double seconds(const std::string& text) {
  const double value = params::default_conversor<double>(text);
  if (!(value > 0)) throw std::out_of_range("seconds must be more than 0");
  return value;
}

// A relative standard error, above 0.
double relative_error(const std::string& text) {
  const double value = params::default_conversor<double>(text);
  if (!(value > 0)) throw std::out_of_range("a target error must be more than 0");
  return value;
}

method_choice method_of(const std::string& name) {
  if (name == "enumerate") return method_choice::enumerate;
  if (name == "bdd") return method_choice::bdd;
  if (name == "sample") return method_choice::sample;
  return method_choice::automatic;
}

}  // namespace

request parse_args(int argc, const char* const* argv) {
  util::argparse parser;
  const auto value = [&](const std::string& name, std::string default_value, std::string meaning,
                         const util::string_set& choices = {}) {
    parser.add(name, std::move(default_value), choices);
    parser.describe(name, std::move(meaning));
  };
  parser.add("input", option::required);
  parser.describe("input", "the netlist to count");
  parser.add("-dir", option::required);
  parser.describe("-dir", "the job directory to write (new or empty), or one of an earlier run to resume");
  value("-filetype", "", "netlist format; by default the file extension decides (.v, .tree, .aag, .aig)",
        operation::supported_types);
  value("-limit-time", "",
        "seconds for the whole run: exact only when it fits, else a sampled estimate (default: exact "
        "methods get 120 s, sampling runs to the target)");
  value("-target-error", "1e-3", "relative standard error a sampled total runs to");
  value("-method", "auto",
        "auto: the method that fits; or enumerate, bdd (decision diagrams) or sample, as forced",
        {"auto", "enumerate", "bdd", "sample"});
  const params args = parser.parse(static_cast<std::uint64_t>(argc), argv);
  request asked;
  asked.netlist = args.get<std::filesystem::path>("input");
  asked.filetype = args.get_ref("-filetype");
  asked.dir = args.get<std::filesystem::path>("-dir");
  if (args.is_set("-limit-time")) asked.time_limit = args.get<double>("-limit-time", seconds);
  args.get<double>("-target-error", relative_error);
  asked.target_error = args.get_ref("-target-error");
  asked.method = method_of(args.get_ref("-method"));
  return asked;
}

}  // namespace run
