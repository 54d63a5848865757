#include "operation/read/tree.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "../circuit_text.hpp"
#include "netlist_file.hpp"
#include "operation/read/exception.hpp"

namespace {

using namespace operation;
using netlist_file::error_of;
using strings = std::vector<std::string>;

Circuit read_text(std::string_view text) {
  const netlist_file::Temporary file("net.tree", text);
  return read_tree(file.path());
}

std::string error_reading(std::string_view text) {
  return error_of([&] { read_text(text); });
}

TEST(ReadTree, WiresEachLineToTheLineBefore) {
  const Circuit circuit = read_text("a=I@0 b=I@1\ng=AND@0\no=O\n");
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "a = I", "b = I", "g = AND( a_0 , b_0 )", "o = O( g_0 )"}));
  EXPECT_EQ(circuit_text::fanout_counts(circuit), (std::vector<nid_t>{0, 1, 1, 1, 0}));
  EXPECT_TRUE(circuit.sorted());
  EXPECT_EQ(circuit.capacity(), 5U);

  EXPECT_EQ(circuit_text::lines(read_text("a=I@~0 b=I@~~1\ng=AND@0\no=O"))[3], "g = AND( ~a_0 , b_0 )");
}

TEST(ReadTree, WiresAndConstantsPassSignalsWithoutNodes) {
  const std::string text = "x=I@0 y=I@1\nw=W@0,1 v=W@~2 k=0@3,~4\ng=AND@0 h=XOR@1 n=W@2\no=O p=O q=O\n";
  const Circuit circuit = read_text(text);
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "x = I", "y = I", "g = AND( x_0 , x_0 )", "h = XOR( ~y_0 , 0_0 )",
                     "o = O( g_0 )", "p = O( h_0 )", "q = O( ~0_0 )"}));
  EXPECT_EQ(circuit_text::fanout_counts(circuit), (std::vector<nid_t>{2, 2, 1, 1, 1, 0, 0, 0}));

  const netlist_file::Temporary file("net.tree", text);
  multi<std::string> names;
  multi<Gate> gates;
  multi<std::vector<std::uint32_t>> offs;
  multi<std::vector<bool>> invs;
  std::vector<std::uint32_t> fanouts;
  nid_t nod_count = 0;
  parse_tree(file.path(), names, gates, offs, invs, fanouts, nod_count);
  EXPECT_EQ(nod_count, 8U);
  EXPECT_EQ(fanouts, (std::vector<std::uint32_t>{2, 5, 3, 0}));
  EXPECT_EQ(names[1], (strings{"w", "v", "k"}));
  EXPECT_EQ(gates[1], (std::vector<Gate>{gates::WIRE, gates::WIRE, gates::ZERO}));
  EXPECT_EQ(offs[1], (multi<std::uint32_t>{{0, 1}, {2}, {3, 4}}));
  EXPECT_EQ(invs[1], (multi<bool>{{false, false}, {true}, {false, true}}));
}

TEST(ReadTree, RecyclingGatesDriveTheirPortsInReferenceOrder) {
  const Circuit circuit = read_text(
      "a=I@0,2,4 b=I@1,3,5 c=I@6\nr=REC2.AND@0,1,2 s=REC1.OR@3,4,5 t=REC2.MAJ@6#last\n"
      "o0=O o1=O o2=O o3=O o4=O o5=O o6=O\n");
  const strings lines = circuit_text::lines(circuit);
  EXPECT_EQ(strings(lines.begin() + 4, lines.end()),
            (strings{"r = REC2.AND( a_0 , b_0 )", "s = REC1.OR( a_0 , b_0 )",
                     "t = REC2.MAJ( a_0 , b_0 , c_0 )", "o0 = O( r_0 )", "o1 = O( r_1 )", "o2 = O( r_2 )",
                     "o3 = O( s_0 )", "o4 = O( s_1 )", "o5 = O( s_1 )", "o6 = O( t_2 )"}));
  for (const Node& node : circuit.nodes())
    for (const auto& [source, port, inverted] : node.inputs()) EXPECT_LT(port, circuit.output_count(source));
}

TEST(ReadTree, UndrivenSlotsReadZeroAndTheLaterReferenceWins) {
  EXPECT_EQ(circuit_text::lines(read_text("a=I@1 b=I@~1\ng=AND@0#note\n"))[3], "g = AND( 0_0 , ~b_0 )");
}

TEST(ReadTree, RefusesLinesOutsideTheFormat) {
  EXPECT_EQ(error_reading("a=I@0\ng=FOO@0\n"), "Unknown gate `FOO`.");
  EXPECT_EQ(error_reading("a=I@0  b=I@1\n"), "Unknown gate ``.");
  EXPECT_EQ(error_reading("g=AND@0\n"), "Line 1: Gate `g` reads more slots than the line before drives (0).");
  EXPECT_EQ(error_reading("a=I@0 b=I@1\ng=AND@0 h=AND@1\n"),
            "Line 2: Gate `h` reads more slots than the line before drives (2).");
  EXPECT_EQ(error_reading("a=I@0 b=I@5\n"),
            "Line 1: Slot 5 of `b` is out of range (the line has 2 references).");
  EXPECT_EQ(error_reading("a=I@0 b=I@4294967295\n"),
            "Line 1: Slot 4294967295 of `b` is out of range (the line has 2 references).");
  EXPECT_EQ(error_reading("a=I@0,1\nw=W@3 r=REC1.AND\n"),
            "Line 2: Slot 3 of `w` is out of range (the line has 1 references).");
  EXPECT_EQ(error_reading("a=I@0,1\nr=REC1.AND\n"), "Line 2: Recycling gate `r` has no output reference.");
  EXPECT_EQ(error_reading("a=I@0\no=O@0\n"), "Line 2: Gate `o` has no output, but lists 1 references.");
  EXPECT_EQ(error_reading("u=?@0,1\n"), "Line 1: Gate `u` has no output, but lists 2 references.");
  EXPECT_EQ(error_reading("a=I@0 b=I@1\ng=AND@0\nc=I\n"), "Input nodes should come second.");
}

TEST(ReadTree, RefusesSlotsThatAreNoWholeNumber) {
  // Each of these once read as some other slot (0, 1, or the largest).
  EXPECT_EQ(error_reading("a=I@0 b=I@1\ng=AND@x\n"),
            "Line 2: Slot `x` of `g` is not a number from 0 to 4294967295.");
  EXPECT_EQ(error_reading("a=I@0 b=I@1x\n"),
            "Line 1: Slot `1x` of `b` is not a number from 0 to 4294967295.");
  EXPECT_EQ(error_reading("a=I@0 b=I@-1\n"),
            "Line 1: Slot `-1` of `b` is not a number from 0 to 4294967295.");
  EXPECT_EQ(error_reading("a=I@0 b=I@~\n"), "Line 1: Slot `` of `b` is not a number from 0 to 4294967295.");
  EXPECT_EQ(error_reading("a=I@0 b=I@4294967296\n"),
            "Line 1: Slot `4294967296` of `b` is not a number from 0 to 4294967295.");
}

TEST(ReadTree, ReadsSlotsWithLeadingZerosAndBeforeCarriageReturns) {
  EXPECT_EQ(circuit_text::lines(read_text("a=I@00 b=I@~01\r\ng=AND@0,1#x\r\no=O\n"))[3],
            "g = AND( a_0 , ~b_0 )");
}

TEST(ReadTree, RefusesWhatCannotBeOpenedAndFilesWithoutNodes) {
  const netlist_file::Temporary file("net.tree", "");
  for (const std::string_view text : {"", "\n\n", "k=0@0\n"})
    EXPECT_EQ(error_reading(text), "File holds no nodes.");
  const auto missing = file.path().parent_path() / "missing.tree";
  for (const auto& path : {missing, missing.parent_path()})
    EXPECT_EQ(error_of<ReadException>([&] { read_tree(path); }),
              "Could not open file `\"" + path.string() + "\"`.");
  // Reading this file fails with an input/output error, which must not pass for its end.
  EXPECT_EQ(error_of<ReadException>([] { read_tree("/proc/self/mem"); }), "Could not read the file.");
}

}  // namespace
