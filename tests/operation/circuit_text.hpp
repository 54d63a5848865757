#pragma once

#include <algorithm>
#include <random>
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
      circuit[n].set_input(static_cast<pos_t>(p), source, to_unsigned<pos_t>(operand.substr(cut + 1)).value(),
                           inverted);
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

// A random circuit of `logic` gates given in scrambled order; gate k reads inputs, the fixed node
// and gates below k, and each output reads any of them.
inline std::vector<std::string> random_circuit(std::mt19937& random, nid_t inputs, nid_t logic,
                                               nid_t outputs) {
  const std::vector<Gate> kinds{gates::AND, gates::XOR,      gates::WIRE,
                                gates::MAJ, gates::REC2_MAJ, gates::REC1_OR};
  std::vector<Gate> gate(logic, gates::AND);
  for (Gate& g : gate) g = kinds[random() % kinds.size()];
  const auto operand = [&](nid_t below) {
    const nid_t pick = random() % (inputs + below + 1);
    const std::string inv = random() % 2 ? "~" : "";
    if (pick == inputs + below) return inv + "0_0";
    if (pick < inputs) return inv + "i" + std::to_string(pick) + "_0";
    const nid_t k = pick - inputs;
    return inv + "g" + std::to_string(k) + "_" + std::to_string(random() % gate[k].output_count());
  };
  std::vector<std::string> text{"0 = 0"}, logic_text;
  for (nid_t i = 0; i < inputs; ++i) text.push_back("i" + std::to_string(i) + " = I");
  for (nid_t k = 0; k < logic; ++k) {
    std::string line =
        "g" + std::to_string(k) + " = " + std::string(gate[k] == gates::WIRE ? "" : gate[k].name());
    for (pos_t p = 0; p < gate[k].input_count(); ++p) line += (p == 0 ? "( " : " , ") + operand(k);
    logic_text.push_back(line + " )");
  }
  std::shuffle(logic_text.begin(), logic_text.end(), random);
  text.insert(text.end(), logic_text.begin(), logic_text.end());
  for (nid_t o = 0; o < outputs; ++o)
    text.push_back("o" + std::to_string(o) + " = O( " + operand(logic) + " )");
  return text;
}

}  // namespace circuit_text
