#include "approximate/command_line.hpp"

#include <cstdint>

#include "operation/read/read.hpp"

namespace approximate {

util::argparse::params parse_args(int argc, const char* const* argv) {
  util::argparse parser;
  parser.add("input", util::argparse::option::required);
  parser.describe("input", "the netlist");
  parser.add("-filetype", "", operation::supported_types);
  parser.describe("-filetype", "netlist format (default: by the file's extension, .v, .tree, .aag or .aig)");
  parser.add("-o", "");
  parser.describe("-o", "file receiving each logic gate's estimate (name,energy)");
  parser.add("-save-time", "");
  parser.describe("-save-time", "file receiving the time of the estimation loop in seconds");
  parser.add("-save-memory", "");
  parser.describe("-save-memory", "file receiving the peak resident memory in bytes");
  parser.add("-save-ranks", "");
  parser.describe("-save-ranks", "file receiving the rank of every input and logic node (name,rank)");
  parser.add("-save-energy", "");
  parser.describe("-save-energy", "file receiving the circuit's total estimate");
  parser.add("-save-entropy", "");
  parser.describe("-save-entropy", "file receiving every node's estimate as (name,in-entropy,out-entropy)");
  parser.add("-print-every", "10000");
  parser.describe("-print-every", "nodes between two progress lines (0: no progress line)");
  return parser.parse(static_cast<std::uint64_t>(argc), argv);
}

}  // namespace approximate
