#pragma once

#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "operation/circuit.hpp"
#include "util/string.hpp"

namespace circuit_text {

using namespace operation;

// A circuit from lines in its printed form ("g = AND( a_0 , ~b_1 )", "w = ( g_0 )" for a wire); an
// arc may name a later node. Fan-out counts follow the arcs; the sorted flag is computed.
inline Circuit parse(const std::vector<std::string>& lines) {
  using namespace util::string;
  Circuit circuit(lines.size());
  std::unordered_map<std::string, nid_t> ids;
  std::vector<std::vector<std::string_view>> operands;
  for (const std::string& line : lines) {
    std::string_view rest, list;
    const std::string_view name = lsplit(line, "=", rest);
    const std::string_view gate = trim(lsplit(rest, "(", list));
    const nid_t id = circuit.emplace_node(trim(name), gates::get(gate.empty() ? "W" : gate));
    ids.emplace(std::string(trim(name)), id);
    operands.push_back(split_all(lsplit(list, ")"), ","));
  }
  for (nid_t n = 0; n < circuit.size(); ++n)
    for (std::size_t p = 0; p < operands[n].size(); ++p) {
      std::string_view operand = trim(operands[n][p]);
      const bool inverted = operand.front() == '~';
      operand = ltrim(operand, "~");
      const std::size_t cut = operand.rfind('_');
      const nid_t source = ids.at(std::string(operand.substr(0, cut)));
      circuit[n].set_input(static_cast<pos_t>(p), source, to<int>(operand.substr(cut + 1)), inverted);
      circuit[source].add_fanout(1);
    }
  circuit.check_sorted();
  return circuit;
}

// The printed lines of a circuit.
inline std::vector<std::string> lines(const Circuit& circuit) {
  std::ostringstream out;
  out << circuit;
  const std::string text = out.str();
  std::vector<std::string> result;
  for (const std::string_view line : util::string::split_all(text, "\n")) result.emplace_back(line);
  return result;
}

// The fan-out count of every node.
inline std::vector<nid_t> fanout_counts(const Circuit& circuit) {
  std::vector<nid_t> counts;
  for (const Node& node : circuit) counts.push_back(node.fanout_count());
  return counts;
}

}  // namespace circuit_text
