#pragma once

#include <deque>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "operation/circuit.hpp"
#include "operation/operation.hpp"
#include "operation/read/name_map.hpp"

// The reader of flat combinational modules in structural Verilog whose gates are continuous
// assignments ("assign y = a & ~b;"). It prints its phases and a line counter on the caller's
// progress stream.
namespace operation {

// What a name in an assignment reads: a node's output port, complemented for the constants "1" and
// "1'b1". The keys view the names stored in the circuit's nodes.
using node_id_map = NameMap;

// The names a module declares, each list in declaration order.
struct VerilogHeader {
  std::deque<std::string> inputs_;   // the "input" list
  std::deque<std::string> logic_;    // the "wire" list
  std::deque<std::string> outputs_;  // the "output" list
};

// Reads the module in `fname` into a circuit: the fixed node "0", the inputs, one logic node per wire
// and per output name, and the output markers "o-0", "o-1", … Throws ReadException for malformed
// text, with the line number where one is known, and for a node that reads a declared name never
// assigned.
Circuit read_verilog(const std::filesystem::path& fname, std::ostream& progress);

// Reads the declarations up to the first "assign" line and puts the stream and `lineno` back to the
// start of that line; throws ReadException when the stream cannot go back (a pipe). A later list of
// the same kind replaces the earlier one.
VerilogHeader read_header(std::istream& file, siz_t& lineno, std::ostream& progress);

// Reads a comma-separated name list that starts with `line` (a view into `buffer`) and ends with the
// first line whose last item ends in ";". Prints the line counter on `progress` as it goes.
std::deque<std::string> read_names(std::istream& file, std::string& buffer, std::string_view line,
                                   siz_t& lineno, std::ostream& progress);

// Reads the assignments up to "endmodule" into `circuit`; returns whether every assignment read
// only nodes of lower index than the node it assigns.
bool read_assigns(std::istream& file, Circuit& circuit, siz_t& lineno, const node_id_map& node_id,
                  std::ostream& progress);

// Gives the node named by the assignment `line` (the statement starting at line `lineno`) its gate,
// detected from the shape of the right-hand side, and its input arcs; clears `sorted` when an
// operand is not of lower index. Returns the assigned node's index.
nid_t read_assign(Circuit& circuit, std::string_view line, siz_t lineno, const node_id_map& node_id,
                  bool& sorted);

}  // namespace operation
