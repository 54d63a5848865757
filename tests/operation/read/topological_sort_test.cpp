#include "operation/read/topological_sort.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../circuit_text.hpp"
#include "netlist_file.hpp"
#include "operation/read/exception.hpp"
#include "operation/read/verilog.hpp"
#include "util/stream.hpp"

namespace {

using namespace operation;
using netlist_file::error_of;
using strings = std::vector<std::string>;

// The circuit of a module with input a, output y and wires u, v whose assignments are `body`.
Circuit read_module(std::string_view body) {
  const netlist_file::Temporary file(
      "net.v", "module t(a, y);\ninput a;\noutput y;\nwire u, v;\n" + std::string(body) + "endmodule\n");
  const netlist_file::CapturedStdout quiet;
  return read_verilog(file.path(), util::null_ostr);
}

TEST(SortTopologically, SortsAndDropsWhatNothingReads) {
  Circuit circuit = read_module("assign u = v & a;\nassign v = ~a;\nassign y = u;\n");
  sort_topologically(circuit);
  EXPECT_TRUE(circuit.sorted());
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"a = I", "v = ( ~a_0 )", "u = AND( v_0 , a_0 )", "y = ( u_0 )", "o-0 = O( y_0 )"}));
}

TEST(SortTopologically, RefusesCyclesAsBadInput) {
  Circuit circuit = read_module("assign u = v & a;\nassign v = u | a;\nassign y = u;\n");
  const strings before = circuit_text::lines(circuit);
  EXPECT_EQ(error_of<ReadException>([&] { sort_topologically(circuit); }),
            "Node `v` reads `u`, which is not kept (unassigned or on a combinational cycle).");
  EXPECT_EQ(circuit_text::lines(circuit), before);
}

}  // namespace
