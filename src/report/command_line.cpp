#include "report/command_line.hpp"

#include <cstdint>
#include <string>
#include <utility>

#include "operation/read/read.hpp"

namespace report {

using option = util::argparse::option;

util::argparse::params parse_args(int argc, const char* const* argv) {
  util::argparse parser;
  const auto value = [&](const std::string& name, std::string default_value, std::string meaning,
                         const util::string_set& choices = {}) {
    parser.add(name, std::move(default_value), choices);
    parser.describe(name, std::move(meaning));
  };
  parser.add("input", option::required);
  parser.describe("input", "a job directory of infoloss-job, or the netlist that join's files describe");
  value("-o", "", "the HTML page to write (default for a job: JOBDIR/report.html)");
  value("-energy", "", "join's per-gate energy file (name,energy[,std-error]); with a netlist");
  value("-entropy", "", "join's per-gate entropy file (name,in-entropy,out-entropy); with a netlist");
  value("-total", "", "join's total energy file; with a netlist");
  value("-total-error", "", "the standard error of the total, when the counts were sampled");
  value("-filetype", "", "netlist format; by default the file extension decides (.v, .tree, .aag, .aig)",
        operation::supported_types);
  value("-method", "enumerate", "how the counts were made (fullsim's -method, or sampling); with a netlist",
        {"enumerate", "enumeration", "bdd", "sampling"});
  value("-samples", "", "batches per replicate of a sampled count; with -method sampling");
  value("-replicates", "1", "replicates of a sampled count; with -method sampling");
  return parser.parse(static_cast<std::uint64_t>(argc), argv);
}

}  // namespace report
