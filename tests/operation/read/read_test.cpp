#include "operation/read/read.hpp"

#include <gtest/gtest.h>

#include <string>

#include "netlist_file.hpp"
#include "operation/read/exception.hpp"
#include "util/stream.hpp"

namespace {

using namespace operation;
using netlist_file::error_of;

const char* const verilog_text = "module top(a, y);\ninput a;\noutput y;\nassign y = ~a;\nendmodule\n";
const char* const tree_text = "a=I@0\ny=O\n";

// The reader that `read` chose for a file named `name` holding `text`, told by the circuit it built.
std::string reader_of(std::string_view name, std::string_view text, std::string_view filetype = {}) {
  const netlist_file::Temporary file(name, text);
  const Circuit circuit = read(file.path(), filetype, util::null_ostr);
  return circuit.output_count() == 1 && circuit.name(circuit.size() - 1) == "o-0" ? "verilog" : "tree";
}

TEST(Read, ChoosesTheReaderByTypeOrElseByExtension) {
  EXPECT_EQ(reader_of("adder.v", verilog_text), "verilog");
  EXPECT_EQ(reader_of("net.tree", tree_text), "tree");
  EXPECT_EQ(reader_of("adder.v", tree_text, "tree"), "tree");
  EXPECT_EQ(reader_of("net.tree", verilog_text, "verilog"), "verilog");
  EXPECT_EQ(reader_of("adder", verilog_text, "verilog"), "verilog");
  EXPECT_EQ(supported_types, (std::unordered_set<std::string>{"verilog", "tree", "aiger"}));
}

TEST(Read, RefusesUnknownFormatsWithoutReading) {
  for (const char* name : {"dir/adder.V", "dir/adder", "dir/a.blif", "dir/.v"})
    EXPECT_EQ(error_of<ReadException>([&] { read(name, {}, util::null_ostr); }),
              std::string("Unknown file format for `\"") + name + "\"`.");
  EXPECT_EQ(error_of<ReadException>([] { read("dir/adder.v", "blif", util::null_ostr); }),
            "Unknown file format for `\"dir/adder.v\"`.");
  EXPECT_EQ(error_of<ReadException>([] { read("d\"ir/x\\y.vv", {}, util::null_ostr); }),
            "Unknown file format for `\"d\\\"ir/x\\\\y.vv\"`.");
}

}  // namespace

namespace {

// What `read` throws for a netlist that the circuit's own checks refuse.
std::string circuit_fault_of(std::string_view name, std::string_view text) {
  const netlist_file::Temporary file(name, text);
  return error_of<ReadException>([&] { read(file.path(), {}, util::null_ostr); });
}

TEST(Read, CircuitFaultsOfTheNetlistAreReadErrors) {
  EXPECT_EQ(
      circuit_fault_of("twice.v",
                       "module t(a, y);\ninput a;\noutput y;\nassign y = ~a;\nassign y = a;\nendmodule\n"),
      "Line 5: `y` is assigned twice.");
  EXPECT_EQ(circuit_fault_of("gate.tree", "a=I@0\ny=FOO\n"), "Unknown gate `FOO`.");
  EXPECT_EQ(circuit_fault_of("late.tree", "a=I@0,1\ng=AND@0 c=I@1\n"), "Input nodes should come second.");
}

}  // namespace
