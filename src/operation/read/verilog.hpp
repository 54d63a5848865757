#pragma once

#include <bitset>
#include <deque>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "operation/circuit.hpp"
#include "operation/operation.hpp"
#include "operation/read/bit_range.hpp"
#include "operation/read/name_map.hpp"

// The reader of flat combinational modules in structural Verilog whose gates are continuous
// assignments ("assign y = a & ~b;", "assign y = ~(a & b);"), as synthesis tools write them:
// comments and attributes anywhere, vectors, which make one signal per bit named "a[3]", bit- and
// part-selects, sized constants and concatenations. It prints its phases and a line counter on
// the caller's progress stream.
namespace operation {

// What a name in an assignment reads: a node's output port, complemented for the constants "1" and
// "1'b1". The keys view the names stored in the circuit's nodes.
using node_id_map = NameMap;

// The names of a module's ports, searched for every wire declared: a table of the first and last
// characters of the names spares most wires the search.
class PortNames {
 public:
  // Adds `name`; returns false when it was there already.
  bool insert(std::string_view name);
  // Whether `name` is a port's name.
  bool contains(std::string_view name) const { return ends_.test(ends(name)) && names_.contains(name); }

 private:
  static std::size_t ends(std::string_view name) {
    return name.empty()
               ? 0
               : static_cast<unsigned char>(name.front()) << 8 | static_cast<unsigned char>(name.back());
  }

  std::unordered_set<std::string, NameHash, std::equal_to<>> names_;
  std::bitset<1 << 16> ends_;  // bit (first << 8 | last) for every name
};

// The names a module declares, each list in declaration order (a vector's bits leftmost first).
struct VerilogHeader {
  std::deque<std::string> inputs_;   // the "input" lists
  std::deque<std::string> logic_;    // the "wire" lists, without the ports' own wires
  std::deque<std::string> outputs_;  // the "output" lists
  VectorRanges vectors_;             // every declared vector
  PortNames ports_;                  // the ports' names (vectors unexpanded)
};

// The kind of signal a declaration makes.
enum class DeclarationKind { input, output, wire };

// What the assignments of a module read besides the statement (the name map, the declared vectors),
// and the nodes whose name stands for their output complemented ("assign y = ~(a & b);"), which
// they add to.
struct AssignContext {
  const node_id_map& node_id_;
  const VectorRanges& vectors_;
  std::vector<nid_t>& inverted_outputs_;
};

// Reads the module in `fname` into a circuit: the fixed node "0", the inputs, one logic node per wire
// and per output name, and the output markers "o-0", "o-1", … Throws ReadException for malformed
// text, with the line number where one is known, and for a node that reads a declared name never
// assigned.
Circuit read_verilog(const std::filesystem::path& fname, std::ostream& progress);

// Reads the declarations up to the first "assign" line and puts the stream and `lineno` back to the
// start of that line; throws ReadException when the stream cannot go back (a pipe). Lists of the
// same kind add up.
VerilogHeader read_header(std::istream& file, siz_t& lineno, std::ostream& progress);

// Reads a comma-separated name list of kind `kind` that starts with `line` (a view into `buffer`),
// possibly after "wire", "signed" and a range "[3:0]", and ends with the first line whose last item
// ends in ";", into `header`. Prints the line counter to `progress` as it goes.
void read_names(std::istream& file, std::string& buffer, std::string_view line, siz_t& lineno,
                DeclarationKind kind, VerilogHeader& header, std::ostream& progress);

// Reads the assignments up to "endmodule" into `circuit`; returns whether every assignment read
// only nodes of lower index than the node it assigns.
bool read_assigns(std::istream& file, Circuit& circuit, siz_t& lineno, const AssignContext& context,
                  std::ostream& progress);

// Gives the nodes assigned by the statement `line` (starting at line `lineno`) their gates and input
// arcs; clears `sorted` when an operand is not of lower index. Returns the (last) assigned node's
// index.
nid_t read_assign(Circuit& circuit, std::string_view line, siz_t lineno, const AssignContext& context,
                  bool& sorted);

}  // namespace operation
