#include "operation/read/verilog.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <istream>
#include <numeric>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../circuit_text.hpp"
#include "netlist_file.hpp"
#include "operation/read/exception.hpp"
#include "util/stream.hpp"

namespace {

using namespace operation;
using netlist_file::error_of;
using strings = std::vector<std::string>;

// Reads `text` as a Verilog netlist file; the progress text goes to `console` when given. Nothing
// may go to standard output, which belongs to the program.
Circuit read_text(std::string_view text, std::string* console = nullptr) {
  const netlist_file::Temporary file("net.v", text);
  const netlist_file::CapturedStdout captured;
  std::ostringstream progress;
  Circuit circuit = read_verilog(file.path(), progress);
  EXPECT_EQ(captured.text(), "");
  if (console != nullptr) *console = progress.str();
  return circuit;
}

std::string error_reading(std::string_view text) {
  return error_of([&] { read_text(text); });
}

// A module with inputs a, b, c, d, outputs y, z, wire w and the given body.
std::string module(std::string_view body) {
  return "module top(a, b, c, d, y, z);\ninput a, b, c, d;\noutput y, z;\nwire w;\n" + std::string(body) +
         "endmodule\n";
}

// The progress text for line `lineno`.
std::string progress(siz_t lineno) { return "\r\x1b[Kline = " + std::to_string(lineno); }

const std::string example =
    "module top(a, b, y);\ninput a, b;\noutput y;\nwire w;\nassign w = a & ~b;\nassign y = ~w;\nendmodule\n";

TEST(ReadVerilog, BuildsNodesInSectionOrderAndPrintsItsPhases) {
  std::string console;
  const Circuit circuit = read_text(example, &console);
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "a = I", "b = I", "w = AND( a_0 , ~b_0 )", "y = ( ~w_0 )", "o-0 = O( y_0 )"}));
  EXPECT_EQ(circuit_text::fanout_counts(circuit), (std::vector<nid_t>{0, 1, 1, 1, 1, 0}));
  EXPECT_TRUE(circuit.sorted());
  EXPECT_EQ(circuit.capacity(), 6U);
  EXPECT_EQ(console, "\nreading inputs\n" + progress(2) + progress(2) + "\n\nreading outputs\n" +
                         progress(3) + progress(3) + "\n\nreading wires\n" + progress(4) + progress(4) +
                         "\n\nbuilding name to id map\n\nreading assignments\n" + progress(4) + progress(7) +
                         "\n");
}

TEST(ReadVerilog, SortedFlagFollowsNodeIdsNotFileOrder) {
  const std::string reversed =
      "module top(a, b, y);\ninput a, b;\noutput y;\nwire w;\nassign y = ~w;\nassign w = a & "
      "~b;\nendmodule\n";
  const Circuit circuit = read_text(reversed);
  EXPECT_EQ(circuit_text::lines(circuit), circuit_text::lines(read_text(example)));
  EXPECT_TRUE(circuit.sorted());

  const Circuit unsorted = read_text(
      "module top(a, y);\ninput a;\noutput y;\nwire u, v;\nassign v = ~a;\nassign u = v & a;\n"
      "assign y = u;\nendmodule\n");
  EXPECT_FALSE(unsorted.sorted());
  EXPECT_EQ(unsorted.name(2), "u");
}

TEST(ReadVerilog, ConstantsReadTheFixedNode) {
  const Circuit circuit = read_text(
      "module top(p, q, r, s, t);\noutput p, q, r, s, t;\nassign p = 1'b1;\nassign q = ~1;\nassign r = "
      "1'b0;\n"
      "assign s = 0;\nassign t = ~1'b0;\nendmodule\n");
  EXPECT_EQ(
      circuit_text::lines(circuit),
      (strings{"0 = 0", "p = ( ~0_0 )", "q = ( 0_0 )", "r = ( 0_0 )", "s = ( 0_0 )", "t = ( ~0_0 )",
               "o-0 = O( p_0 )", "o-1 = O( q_0 )", "o-2 = O( r_0 )", "o-3 = O( s_0 )", "o-4 = O( t_0 )"}));
  EXPECT_EQ(circuit.fanout_count(0), 5U);
}

TEST(ReadVerilog, HeaderListsSpanLinesAndAddUp) {
  const Circuit circuit = read_text(
      "// generated\nmodule top ( \\x[0] ,\n  y, z ) ; // ports\n\ninput\n  \\x[0] , bus,\n  c ,;\n"
      "output y;\noutput\n  z;\nwire\n  w;\nassign w = \\x[0]  & bus;\nassign y = ~w;\nassign z = "
      "c;\nendmodule\n"
      "// trailing comment\n\n");
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "\\x[0] = I", "bus = I", "c = I", "w = AND( \\x[0]_0 , bus_0 )", "y = ( ~w_0 )",
                     "z = ( c_0 )", "o-0 = O( y_0 )", "o-1 = O( z_0 )"}));
  EXPECT_EQ(error_reading("module top(a, y);\ninput a;\noutput y;\noutput a;\nassign y = a;\nendmodule\n"),
            "Line 4: `a` is declared as a port twice.");
}

TEST(ReadVerilog, ErrorsCarryTheLineTheyConcern) {
  EXPECT_EQ(error_reading(""), "File ended with no assignments.");
  EXPECT_EQ(error_reading("module top(a);\ninput a;\nreg q;\nassign a = 1;\nendmodule\n"),
            "Line 3: Unknown command. Is this circuit sequential?");
  EXPECT_EQ(error_reading("// c\n\nmodule top(a, y); // ports\ninput a;\n// c\noutput y;\n"),
            "Line 6: File ended with no assignments.");
  EXPECT_EQ(error_reading("module\ntop(a);\ninput a;\n"), "Line 2: File ended with no assignments.");
  EXPECT_EQ(error_reading("module top(a);\ninput a,\n\n  b,\n// c;\n"),
            "Line 5: File ended inside a name list.");
  EXPECT_EQ(error_reading(module("assign y = a;\nalways @(a) z = a;\n")),
            "Line 6: Unknown command. Is this circuit sequential?");
  EXPECT_EQ(error_reading("module top(a, y);\ninput a;\noutput y;\nassign y = a;\n"),
            "Line 5: Unknown command. Is this circuit sequential?");
  EXPECT_EQ(error_reading(module("assign y = a;\nendmodule\nassign z = b;\n")),
            "Line 6: Unknown command. Is this circuit sequential?");
  EXPECT_EQ(error_reading(module("assign y =\n  a &\n  b & c;\n")), "Line 5: Could not detect gate.");
  EXPECT_EQ(error_reading(module("assign y = a;\nassignx = a;\n")), "Line 6: This is not an assignment.");
  EXPECT_EQ(error_reading(module("assign y = a;\nassign z = a &\n ~q;\n")), "Line 6: Unknown name `q`.");
  EXPECT_EQ(error_reading(module("assign v = a;\n")), "Line 5: Unknown name `v`.");
  EXPECT_EQ(error_reading(module("assign y = a;\nassign y = b;\n")), "Line 6: `y` is assigned twice.");
  EXPECT_EQ(error_reading(module("assign a = b;\n")), "Line 5: `a` is an input: it cannot be assigned.");
  EXPECT_EQ(error_reading(module("assign y = a;\nassign 4'd3 = b;\n")),
            "Line 6: `4'd3` is a constant: it cannot be assigned.");
  EXPECT_EQ(error_reading(module("assign y = a;\nassign 1'b1 = b;\n")),
            "Line 6: `1'b1` is a constant: it cannot be assigned.");
  // A declared name read but never assigned has no output: by a gate, or by an output marker.
  EXPECT_EQ(error_reading(module("assign y = w;\nassign z = a;\n")),
            "Node `y` reads `w`, which is not kept (unassigned or on a combinational cycle).");
  EXPECT_EQ(error_reading(module("assign y = a;\n")),
            "Node `o-1` reads `z`, which is not kept (unassigned or on a combinational cycle).");
}

TEST(ReadVerilog, RefusesAFileThatCannotBeOpened) {
  const netlist_file::Temporary file("net.v", "");
  const auto missing = file.path().parent_path() / "missing.v";
  EXPECT_EQ(error_of<ReadException>([&] { read_verilog(missing, util::null_ostr); }),
            "Could not open file `\"" + missing.string() + "\"`.");
  EXPECT_EQ(error_of<ReadException>([] { read_verilog("/proc/self/mem", util::null_ostr); }),
            "Could not read the file.");
}

TEST(ReadVerilog, RefusesAStreamThatCannotGoBackToTheFirstAssignment) {
  // A pipe: its position cannot be told or set.
  struct forward_only : std::stringbuf {
    using std::stringbuf::stringbuf;
    pos_type seekoff(off_type, std::ios::seekdir, std::ios::openmode) override { return pos_type(-1); }
  } pipe(example);
  std::istream file(&pipe);
  siz_t lineno = 0;
  EXPECT_EQ(error_of<ReadException>([&] { read_header(file, lineno, util::null_ostr); }),
            "Cannot read the netlist from a pipe: give a regular file.");
}

TEST(ReadVerilog, PrintsProgressEveryTenThousandLines) {
  // Lines 1-4 hold the module, a, y and the wire list's keyword, lines 5 to 10004 name one wire each;
  // the assignments start at line 10005.
  std::string text = "module top(a, y);\ninput a;\noutput y;\nwire\n";
  for (int w = 1; w <= 10000; ++w) text += "  w" + std::to_string(w) + (w < 10000 ? ",\n" : ";\n");
  text += "assign y = a;\nassign w1 = ~a;\nendmodule\n";
  std::string console;
  const Circuit circuit = read_text(text, &console);
  EXPECT_EQ(circuit.logic_count(), 10001U);
  const std::string wires = "\nreading wires\n" + progress(4) + progress(10000) + progress(10004) + "\n";
  EXPECT_NE(console.find(wires), std::string::npos) << console;
  EXPECT_TRUE(console.ends_with("\nreading assignments\n" + progress(10004) + progress(10007) + "\n"));
}

// The printed line of node y after "assign y = RIGHT;" in a circuit of inputs a, b, c, d, or the error.
std::string assigned(std::string_view right) {
  Circuit circuit(6);
  circuit.emplace_node("0", gates::ZERO);
  for (const char* name : {"a", "b", "c", "d"}) circuit.emplace_node(name, gates::I);
  const nid_t y = circuit.emplace_node("y", gates::NONE);
  NameMap node_id;
  for (nid_t i = 0; i < circuit.size(); ++i) node_id.emplace(circuit.name(i), arc_t(i, 0, false));
  const VectorRanges vectors;
  std::vector<nid_t> inverted;
  bool sorted = true;
  try {
    EXPECT_EQ(read_assign(circuit, "assign y = " + std::string(right) + ";", 9, {node_id, vectors, inverted},
                          sorted),
              y);
  } catch (const std::exception& error) {
    return error.what();
  }
  EXPECT_TRUE(sorted);
  return (inverted.empty() ? "" : "inverted ") + circuit_text::lines(circuit)[y];
}

TEST(ReadAssign, DetectsTheGateFromTheShapeOfTheRightHandSide) {
  EXPECT_EQ(assigned("a"), "y = ( a_0 )");
  EXPECT_EQ(assigned("~ ~(a)"), "y = ( a_0 )");
  EXPECT_EQ(assigned("a & ~b"), "y = AND( a_0 , ~b_0 )");
  EXPECT_EQ(assigned("~(a) & b"), "y = AND( ~a_0 , b_0 )");
  EXPECT_EQ(assigned("a | b"), "y = OR( a_0 , b_0 )");
  EXPECT_EQ(assigned("a ^ ~b"), "y = XOR( a_0 , ~b_0 )");
  EXPECT_EQ(assigned("(a & b) | (a & c) | (b & c)"), "y = MAJ( a_0 , b_0 , c_0 )");
  EXPECT_EQ(assigned("(a & b) | (c & (a | b))"), "y = MAJ( a_0 , b_0 , c_0 )");
  EXPECT_EQ(assigned("(~a & b) | (~a & ~c) | (b & ~c)"), "y = MAJ( ~a_0 , b_0 , ~c_0 )");
  EXPECT_EQ(assigned("(b & a) ^ (b & d) ^ (a & d)"), "y = MAJ( b_0 , a_0 , d_0 )");
}

// The majority forms read by their operands as written, also when an operand repeats, is a constant
// or carries a double inversion: each statement's gate (over inputs a, b, c) is checked against the
// statement's meaning, `means`, for every input pattern.
TEST(ReadVerilog, ReadsMajoritiesOfRepeatedConstantAndDoublyInvertedOperands) {
  struct Case {
    std::string right, gate;
    bool (*means)(bool a, bool b, bool c);
  };
  const std::vector<Case> cases = {
      {"(b & ~~a) | (a & (b | ~~a))", "y = MAJ( b_0 , a_0 , a_0 )",
       [](bool a, bool b, bool) { return (b && a) || (a && (b || a)); }},
      {"(0 & a) | ((0 | a) & ~a)", "y = MAJ( 0_0 , a_0 , ~a_0 )",
       [](bool a, bool, bool) { return (false && a) || ((false || a) && !a); }},
      {"(1'b1 & b) | (1'b1 & c) | (b & c)", "y = MAJ( ~0_0 , b_0 , c_0 )",
       [](bool, bool b, bool c) { return b || c; }},
      {"(a & 1) | (a & c) | (1 & c)", "y = MAJ( a_0 , ~0_0 , c_0 )",
       [](bool a, bool, bool c) { return a || c; }},
      {"(a & b) | (a & 1'b0) | (b & 1'b0)", "y = MAJ( a_0 , b_0 , 0_0 )",
       [](bool a, bool b, bool) { return a && b; }},
      {"(a & ~ ~b) | (a & c) | (~ ~b & c)", "y = MAJ( a_0 , b_0 , c_0 )",
       [](bool a, bool b, bool c) { return (a && b) || (a && c) || (b && c); }},
  };
  for (const Case& c : cases) {
    const Circuit circuit = read_text(
        "module top(a, b, c, y);\ninput a, b, c;\noutput y;\nassign y = " + c.right + ";\nendmodule\n");
    const nid_t y = 4;  // after the constant and the three inputs
    EXPECT_EQ(circuit_text::lines(circuit)[y], c.gate) << c.right;
    for (unsigned pattern = 0; pattern < 8; ++pattern) {
      const bool input[] = {false, (pattern & 4) != 0, (pattern & 2) != 0, (pattern & 1) != 0};  // 0, a, b, c
      int ones = 0;
      for (const arc_t& arc : circuit[y].inputs()) ones += input[arc.node] != arc.inverted;
      EXPECT_EQ(ones >= 2, c.means(input[1], input[2], input[3])) << c.right << ", pattern " << pattern;
    }
  }
}

TEST(ReadVerilog, BuildsAssignmentsOfEveryFormInAnyMix) {
  // Statements of different shapes follow one another, so each reuses the place of another shape.
  const std::vector<std::string> rights = {"(a & b) | (a & c) | (b & c)",
                                           "~d",
                                           "a & ~b",
                                           "(a & b) | (c & (a | b))",
                                           "b ^ c",
                                           "c | ~d",
                                           "1'b1",
                                           "~(a & d)",
                                           "a"};
  std::string body, wires;
  for (std::size_t i = 0; i < rights.size(); ++i) {
    wires += (i == 0 ? "" : ", ") + std::string("y") + std::to_string(i);
    body += "assign y" + std::to_string(i) + " = " + rights[i] + ";\n";
  }
  const Circuit circuit =
      read_text("module top(a, b, c, d);\ninput a, b, c, d;\nwire " + wires + ";\n" + body + "endmodule\n");
  const strings lines = circuit_text::lines(circuit);
  for (std::size_t i = 0; i < rights.size(); ++i) {
    if (rights[i] == "1'b1") continue;  // constants are not in the small circuit of `assigned`
    std::string expected = assigned(rights[i]);
    if (expected.starts_with("inverted ")) expected.erase(0, 9);
    EXPECT_EQ(lines[5 + i], "y" + std::to_string(i) + expected.substr(1)) << rights[i];
  }
  EXPECT_EQ(lines[11], "y6 = ( ~0_0 )");
  EXPECT_EQ(circuit_text::fanout_counts(circuit),
            (std::vector<nid_t>{1, 5, 4, 4, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ReadAssign, RefusesNearMissesOfTheGateForms) {
  for (const char* right :
       {"a & b & c", "a | b | c", "a & b | c", "a & & b", "a & b &", "(a & b) | (a & c) | (b & d)",
        "(a & b) | (~a & c) | (b & c)", "(a | b) & (a | c) & (b | c)", "(a & b) | (c & (a | d))",
        "(a & b) | (a & b) | (a & b)", "a & b | c ^ d"})
    EXPECT_EQ(assigned(right), "Line 9: Could not detect gate.") << right;
}

TEST(ReadAssign, ReportsStatementsItCannotUse) {
  EXPECT_EQ(assigned(""), "Line 9: Could not detect gate.");
  EXPECT_EQ(assigned("a &"), "Line 9: Could not detect gate.");
  EXPECT_EQ(assigned("a & q"), "Line 9: Unknown name `q`.");
  Circuit circuit(2);
  circuit.emplace_node("0", gates::ZERO);
  circuit.emplace_node("x", gates::NONE);
  NameMap node_id;
  node_id.emplace("x", arc_t(1, 0, false));
  const VectorRanges vectors;
  std::vector<nid_t> inverted;
  const AssignContext context{node_id, vectors, inverted};
  bool sorted = true;
  const auto error = [&](std::string_view line) {
    return error_of<ReadException>([&] { read_assign(circuit, line, 3, context, sorted); });
  };
  EXPECT_EQ(error("assign x;"), "Line 3: Could not detect gate.");
  EXPECT_EQ(error("assign;"), "Line 3: This is not an assignment.");
  EXPECT_EQ(error("assignx = a;"), "Line 3: This is not an assignment.");
  EXPECT_EQ(error("assign\tx = x;"), "Line 3: This is not an assignment.");
  EXPECT_EQ(error("assign ~x = x;"), "Line 3: Unknown name `~x`.");
  EXPECT_EQ(read_assign(circuit, "assign x = x & ~x;", 3, context, sorted), 1U);
  EXPECT_FALSE(sorted);
  EXPECT_EQ(circuit.fanout_count(1), 2U);
}

// The number of arcs in the circuit.
siz_t arc_count(const Circuit& circuit) {
  return std::accumulate(circuit.begin(), circuit.end(), siz_t{0},
                         [](siz_t sum, const Node& node) { return sum + node.input_count(); });
}

TEST(ReadVerilog, ReadsRealNetlistsWithEscapedNames) {
  struct Expected {
    const char* file;
    nid_t inputs, outputs, assigns;
    const char* first_input;
  };
  for (const Expected& expected :
       {Expected{"ctrl.v", 7, 26, 175, "\\opcode[0]"}, Expected{"dec.v", 8, 256, 304, "\\count[0]"},
        Expected{"int2float.v", 11, 7, 260, "\\B[0]"},
        Expected{"cavlc.v", 10, 11, 693, "\\totalcoeffs[0]"}}) {
    SCOPED_TRACE(expected.file);
    Circuit circuit =
        read_verilog(std::string(INFOLOSS_TEST_DATA) + "/circuits/" + expected.file, util::null_ostr);
    EXPECT_EQ(circuit.fixed_count(), 1U);
    EXPECT_EQ(circuit.input_count(), expected.inputs);
    EXPECT_EQ(circuit.output_count(), expected.outputs);
    EXPECT_EQ(circuit.name(1), expected.first_input);
    const auto assigned =
        std::count_if(circuit.begin() + circuit.data_count(), circuit.begin() + circuit.transfer_count(),
                      [](const Node& node) { return node.gate() != gates::NONE; });
    EXPECT_EQ(assigned, expected.assigns);
    const siz_t fanouts =
        std::accumulate(circuit.begin(), circuit.end(), siz_t{0},
                        [](siz_t sum, const Node& node) { return sum + node.fanout_count(); });
    EXPECT_EQ(fanouts, arc_count(circuit));
    EXPECT_TRUE(circuit.sorted());
    EXPECT_NO_THROW(circuit.build_fanout_lists());  // checks every node's count against its readers
  }
}

// Yosys's `write_verilog -noattr` output: a comment, one declaration per statement, vectors with
// their ports' own wires, bit-selects, the gate forms and connections of vectors and constants.
const std::string yosys_output = R"(/* Generated by Yosys 0.23 (git sha1 7ce5011c24b) */

(* top =  1  *)
module shifter(a, c, k, y);
  wire _0_;
  wire _1_;
  input [1:0] a;
  wire [1:0] a;
  input c;
  wire c;
  output [1:0] k;
  wire [1:0] k;
  wire [2:0] t;
  output [3:0] y;
  wire [3:0] y;
  assign _0_ = ~(a[1] & c);
  assign _1_ = a[0] | ~(c);
  assign y[3] = ~(_0_ ^ _1_); /* an XNOR
     over two lines */
  assign y[2] = (* src = "x.v:3" *) ~(a[0] | _0_);
  assign y[1:0] = { _1_, 1'h1 };
  assign k = 2'h2;
  assign t = { a, 1'h0 };
endmodule
)";

TEST(ReadVerilog, ReadsWhatYosysWrites) {
  const Circuit circuit = read_text(yosys_output);
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "a[1] = I", "a[0] = I", "c = I", "_0_ = AND( a[1]_0 , c_0 )",
                     "_1_ = OR( a[0]_0 , ~c_0 )", "t[2] = ( a[1]_0 )", "t[1] = ( a[0]_0 )", "t[0] = ( 0_0 )",
                     "k[1] = ( ~0_0 )", "k[0] = ( 0_0 )",
                     // _0_ names the complement of its AND, so its readers see it inverted
                     "y[3] = XOR( ~_0__0 , _1__0 )", "y[2] = OR( a[0]_0 , ~_0__0 )", "y[1] = ( _1__0 )",
                     "y[0] = ( ~0_0 )", "o-0 = O( k[1]_0 )", "o-1 = O( k[0]_0 )", "o-2 = O( ~y[3]_0 )",
                     "o-3 = O( ~y[2]_0 )", "o-4 = O( y[1]_0 )", "o-5 = O( y[0]_0 )"}));
  EXPECT_TRUE(circuit.sorted());
  EXPECT_EQ(circuit_text::fanout_counts(circuit),
            (std::vector<nid_t>{4, 2, 3, 2, 2, 2, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
}

TEST(ReadVerilog, GroupedInversionHoldsInAnyStatementOrder) {
  // y reads w before the statement that makes w a NAND; the output reads it too.
  const Circuit circuit =
      read_text(module("assign y = w | c;\nassign w = ~((a & b));\nassign z = (~(a ^ w));\n"));
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "a = I", "b = I", "c = I", "d = I", "w = AND( a_0 , b_0 )",
                     "y = OR( ~w_0 , c_0 )", "z = XOR( a_0 , ~w_0 )", "o-0 = O( y_0 )", "o-1 = O( ~z_0 )"}));
}

TEST(ReadVerilog, ModuleHeadersMayDeclareThePorts) {
  const Circuit circuit = read_text(
      "module m(input [1:0] a, b,\n  input wire signed c, output y);\nassign y = a[1] ^ b[0];\nendmodule\n");
  EXPECT_EQ(circuit_text::lines(circuit), (strings{"0 = 0", "a[1] = I", "a[0] = I", "b[1] = I", "b[0] = I",
                                                   "c = I", "y = XOR( a[1]_0 , b[0]_0 )", "o-0 = O( y_0 )"}));
  const Circuit ascending =
      read_text("module m(a, y);\ninput [0:2] a;\noutput [1:0] y;\nassign y = a[1:2];\nendmodule\n");
  EXPECT_EQ(circuit_text::lines(ascending),
            (strings{"0 = 0", "a[0] = I", "a[1] = I", "a[2] = I", "y[1] = ( a[1]_0 )", "y[0] = ( a[2]_0 )",
                     "o-0 = O( y[1]_0 )", "o-1 = O( y[0]_0 )"}));
}

TEST(ReadVerilog, GatesOverVectorsMakeOneGatePerBit) {
  const Circuit circuit = read_text(
      "module m(input [1:0] a, b, output [1:0] y);\nassign y = ~(a & { b[0], 1'b1 });\nendmodule\n");
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "a[1] = I", "a[0] = I", "b[1] = I", "b[0] = I", "y[1] = AND( a[1]_0 , b[0]_0 )",
                     "y[0] = AND( a[0]_0 , ~0_0 )", "o-0 = O( ~y[1]_0 )", "o-1 = O( ~y[0]_0 )"}));
}

TEST(ReadVerilog, RefusesWhatItCannotReadAtTheStatementsLine) {
  const std::string mux_advice =
      "A multiplexer (`? :`) is not supported: the gate catalogue has none. Map the design without "
      "multiplexers, e.g. with Yosys `abc -g AND,NAND,OR,NOR,XOR,XNOR,ANDNOT,ORNOT` or `aigmap`.";
  const std::string flatten =
      "Module instances are not supported: flatten the design into one module first (Yosys `flatten`).";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"assign y = a;\n\n// c\nassign z = zz;\n", "Line 8: Unknown name `zz`."},
      {"assign y = a;\n/* a\n comment */ assign z\n  = zz;\n", "Line 7: Unknown name `zz`."},
      {"assign y = c ? a : b;\n", "Line 5: " + mux_advice},
      {"assign y = (a & b) | ~(c ? a : b);\n", "Line 5: " + mux_advice},
      {"assign y = a + b;\n",
       "Line 5: Operator `+` is not supported: only ~, &, | and ^ on bits are gates. "
       "Synthesise arithmetic, comparisons and reductions to gates first (e.g. Yosys `synth`)."},
      {"assign y = a == b;\n",
       "Line 5: Operator `==` is not supported: only ~, &, | and ^ on bits are gates. "
       "Synthesise arithmetic, comparisons and reductions to gates first (e.g. Yosys `synth`)."},
      {"assign y = a;\nsub u1 (.x(a), .y(z));\n", "Line 6: " + flatten},
      {"assign y = a;\n\\$_AND_  _3_ (\n .A(a),\n .Y(z));\n", "Line 6: " + flatten},
      {"assign y = a;\nalways @(*) z = a;\n", "Line 6: Unknown command. Is this circuit sequential?"},
      {"assign y = a;\nwire v;\n",
       "Line 6: Declarations after the first assignment are not supported: declare "
       "every signal before the first `assign`."},
      {"assign y = {a, b};\n", "Line 5: Widths differ: `y` has 1 bits, `{a, b}` has 2."},
      {"assign y = ~((a & b) | c);\n",
       "Line 5: The inverted group `~((a & b) | c)` is not supported: an assignment "
       "is one gate, and `~( … )` may only enclose one gate `x & y`, `x | y` or `x ^ y`."},
      {"assign y = a & ~(b | c);\n",
       "Line 5: The inverted group `~(b | c)` is not supported: an assignment is one "
       "gate, and `~( … )` may only enclose one gate `x & y`, `x | y` or `x ^ y`."},
      {"assign y = (a & b) | (c | (a & b));\n",
       "Line 5: The grouping of `(a & b) | (c | (a & b))` is not supported: its meaning is not one gate (a "
       "majority of three signals is written (a & b) | (a & c) | (b & c))."},
      {"assign y = a & b | c & a | b;\n",
       "Line 5: The grouping of `a & b | c & a | b` is not supported: its meaning is not one gate (a "
       "majority of "
       "three signals is written (a & b) | (a & c) | (b & c))."},
      {"assign y = 2'h7;\n", "Line 5: The number `2'h7` does not fit in its width."},
      {"assign y = 1'bx;\n", "Line 5: Unsupported number `1'bx`: only digits of a known value (no x or z)."},
      {"assign y = a; assign z = b;\n", "Line 5: One statement per line: `;` ends the line's statement."},
      {"assign y = a;\nendmodule\nmodule other(a);\n", "Line 6: More than one module: " + flatten},
  };
  for (const auto& [body, message] : cases) EXPECT_EQ(error_reading(module(body)), message) << body;
  EXPECT_EQ(error_reading("/* open\n\nmodule top(a);\n"), "Line 1: File ended inside a comment.");
  EXPECT_EQ(error_reading("module top(a, y);\ninput [3:0] a, [1:0] b;\n"),
            "Line 2: A range stands only before the first name of a declaration.");
  EXPECT_EQ(error_reading("module top(a, y);\ninput [3:a] a;\n"), "Line 2: Malformed range `[3:a]`.");
  EXPECT_EQ(error_reading("module top(a, y);\ninput [3:0] a;\nwire [4:0] a;\n"),
            "Line 3: `a` is declared with two different ranges.");
  EXPECT_EQ(error_reading("module top(a, y);\noutput reg y;\n"),
            "Line 2: Unknown command. Is this circuit sequential?");
  EXPECT_EQ(error_reading("module top(a, y);\ninput a;\nAND2 g1(y, a, a);\n"), "Line 3: " + flatten);
}

TEST(ReadAssign, ReadsGroupsByTheirMeaning) {
  EXPECT_EQ(assigned("~(a & b)"), "inverted y = AND( a_0 , b_0 )");
  EXPECT_EQ(assigned("(~(~a | b))"), "inverted y = OR( ~a_0 , b_0 )");
  EXPECT_EQ(assigned("~ ~(a ^ b)"), "y = XOR( a_0 , b_0 )");
  EXPECT_EQ(assigned("a & ~(b)"), "y = AND( a_0 , ~b_0 )");
  EXPECT_EQ(assigned("(a) | ((~b))"), "y = OR( a_0 , ~b_0 )");
  EXPECT_EQ(assigned("{ a } & 1'h1"), "y = AND( a_0 , ~0_0 )");
  EXPECT_EQ(assigned("(a & b) ^ (a & c) | (b & c)"), "y = MAJ( a_0 , b_0 , c_0 )");
  EXPECT_EQ(assigned("(a | b) & (c | (a & b))"), "y = MAJ( a_0 , b_0 , c_0 )");
}

}  // namespace
