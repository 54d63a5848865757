#include "operation/read/aiger.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../circuit_text.hpp"
#include "netlist_file.hpp"
#include "operation/read/exception.hpp"
#include "util/stream.hpp"
#include "operation/read/read.hpp"

namespace {

using namespace operation;
using netlist_file::error_of;
using strings = std::vector<std::string>;

// Reads `text` from a file named `name` with the format chosen by the extension, or `filetype`.
Circuit read_text(std::string_view name, std::string_view text, std::string_view filetype = {}) {
  const netlist_file::Temporary file(name, text);
  return read(file.path(), filetype, util::null_ostr);
}

std::string error_reading(std::string_view name, std::string_view text) {
  return error_of<ReadException>([&] { read_text(name, text); });
}

// A number of the binary AND section: 7 bits per byte, least significant first.
std::string encoded(unsigned value) {
  std::string bytes;
  for (; value >= 0x80; value >>= 7) bytes += static_cast<char>(0x80 | (value & 0x7F));
  return bytes + static_cast<char>(value);
}

// A half adder (the format description's example): s = x XOR y as an AND of two inverted ANDs, c.
const std::string half_adder =
    "aag 7 2 0 2 3\n2\n4\n6\n12\n6 13 15\n12 2 4\n14 3 5\ni0 x\ni1 y\no0 s\no1 c\nc\nhalf adder\n";

TEST(ReadAiger, ReadsTheAsciiFormatWithSymbols) {
  const Circuit circuit = read_text("half.aag", half_adder);
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "x = I", "y = I", "n3 = AND( ~n6_0 , ~n7_0 )", "n6 = AND( x_0 , y_0 )",
                     "n7 = AND( ~x_0 , ~y_0 )", "s = ( n3_0 )", "c = ( n6_0 )", "o-0 = O( s_0 )",
                     "o-1 = O( c_0 )"}));
  EXPECT_FALSE(circuit.sorted());  // the first AND reads later ones
  EXPECT_EQ(circuit_text::fanout_counts(circuit), (std::vector<nid_t>{0, 2, 2, 1, 2, 1, 1, 1, 0, 0}));
}

TEST(ReadAiger, ReadsTheBinaryFormatAndNamesWhatHasNoSymbol) {
  // The same half adder in the binary encoding, its gates numbered after the inputs; only y is named.
  const std::string binary = "aig 5 2 0 2 3\n10\n6\n" + encoded(2) + encoded(2) + encoded(3) + encoded(2) +
                             encoded(1) + encoded(2) + "i1 y\nc\n";
  const Circuit circuit = read_text("half.aig", binary);
  EXPECT_EQ(circuit_text::lines(circuit),
            (strings{"0 = 0", "i0 = I", "y = I", "n3 = AND( y_0 , i0_0 )", "n4 = AND( ~y_0 , ~i0_0 )",
                     "n5 = AND( ~n4_0 , ~n3_0 )", "o0 = ( n5_0 )", "o1 = ( n3_0 )", "o-0 = O( o0_0 )",
                     "o-1 = O( o1_0 )"}));
  EXPECT_TRUE(circuit.sorted());

  // Deltas of more than 7 bits take several bytes; constants are literals 0 and 1.
  const std::string wide = "aig 201 200 0 2 1\n402\n1\n" + encoded(2) + encoded(398);
  const Circuit large = read_text("wide.aig", wide);
  EXPECT_EQ(circuit_text::lines(large)[201], "n201 = AND( i199_0 , i0_0 )");
  EXPECT_EQ(circuit_text::lines(large)[203], "o1 = ( ~0_0 )");
  EXPECT_EQ(read_text("x.txt", half_adder, "aiger").size(), 10U);
}

TEST(ReadAiger, RefusesSequentialAndMalformedFiles) {
  const std::string sequential = "Is this circuit sequential?";
  EXPECT_EQ(error_reading("l.aag", "aag 1 0 1 1 0\n2 3\n2\n"),
            "Line 1: Latches are not supported. " + sequential);
  EXPECT_EQ(
      error_reading("b.aag", "aag 1 1 0 0 0 1\n2\n2\n"),
      "Line 1: Bad-state, constraint, justice and fairness properties are not supported. " + sequential);
  EXPECT_EQ(
      error_reading("f.aag", "aag 1 1 0 0 0 0 0 0 1\n2\n"),
      "Line 1: Bad-state, constraint, justice and fairness properties are not supported. " + sequential);
  EXPECT_EQ(error_reading("h.aag", "aag 1 1 0\n"),
            "Line 1: The header must hold 5 to 9 numbers: M I L O A [B C J F].");
  EXPECT_EQ(error_reading("h.aag", "aag 1 x 0 0 0\n"), "Line 1: `x` is not a number.");
  EXPECT_EQ(error_reading("h.aig", "aag2 1 1 0 0 0\n"),
            "Line 1: Not an AIGER file: the header must begin with `aag` or `aig`.");
  EXPECT_EQ(error_reading("m.aig", "aig 3 1 0 0 1\n"),
            "Line 1: M = 3 does not match I + A = 2 (a binary file needs M = I + L + A).");
  EXPECT_EQ(error_reading("u.aag", "aag 3 1 0 1 1\n2\n6\n6 2 4\n"),
            "Line 4: Literal 4 reads variable 2, which no input or AND gate defines.");
  EXPECT_EQ(error_reading("u.aag", "aag 3 1 0 1 1\n2\n5\n6 2 2\n"),
            "Line 3: Literal 5 reads variable 2, which no input or AND gate defines.");
  EXPECT_EQ(error_reading("d.aag", "aag 3 1 0 0 2\n2\n4 2 2\n4 3 3\n"),
            "Line 4: Variable 2 is defined twice.");
  EXPECT_EQ(error_reading("o.aag", "aag 3 1 0 1 1\n2\n8\n"),
            "Line 3: Malformed output: a literal up to 7 expected.");
  EXPECT_EQ(error_reading("a.aag", "aag 3 1 0 0 1\n2\n5 2 2\n"),
            "Line 3: Malformed AND gate: `lhs rhs0 rhs1` with an even lhs and literals up to 7 expected.");
  EXPECT_EQ(error_reading("e.aag", "aag 3 2 0 0 1\n2\n"), "Line 3: The file ended before input.");
  EXPECT_EQ(error_reading("t.aig", "aig 2 1 0 1 1\n4\n" + encoded(2)),
            "Line 3: The binary AND gates end early or are malformed (gate 0).");
  EXPECT_EQ(error_reading("r.aig", "aig 2 1 0 1 1\n4\n" + encoded(5) + encoded(0)),
            "Line 3: Malformed binary AND gate 0: its inputs must come before it.");
  EXPECT_EQ(error_reading("s.aag", "aag 1 1 0 0 0\n2\ni1 x\n"),
            "Line 3: Unknown symbol `i1`: symbols name inputs (i0, i1, …) and outputs (o0, …) of this file.");
  EXPECT_EQ(error_reading("s.aag", "aag 1 1 0 0 0\n2\nl0 x\n"),
            "Line 3: Unknown symbol `l0`: symbols name inputs (i0, i1, …) and outputs (o0, …) of this file.");
  EXPECT_EQ(error_reading("s.aag", "aag 1 1 0 0 0\n2\ni0 x\ni0 y\n"), "Line 4: Symbol `i0` is named twice.");
  EXPECT_EQ(error_reading("s.aag", "aag 1 1 0 0 0\n2\ni0\n"),
            "Line 3: The name of symbol `i0` must have 1 to 255 characters.");
}

}  // namespace
