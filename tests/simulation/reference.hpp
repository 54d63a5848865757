#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "operation/circuit.hpp"

namespace reference {

using operation::Circuit;
using operation::cmb_t;
using operation::nid_t;

// Input-combination counts found by evaluating the circuit one pattern at a time with plain
// booleans, independently of the bit vectors: entry n holds the 2^k counts of logic node n when
// its gate loses information, and is empty otherwise. The inputs order.end()-sel_bits to the end
// are held at the bits of `worker` (the j-th of them at bit j); all the others take every value.
inline std::vector<std::vector<cmb_t>> brute_force(const Circuit& circuit,
                                                   const std::vector<std::uint32_t>& order,
                                                   std::uint32_t sel_bits = 0, std::uint64_t worker = 0) {
  const nid_t fixed = circuit.fixed_count(), inputs = circuit.input_count();
  std::vector<std::uint32_t> free_inputs(order.begin(), order.end() - sel_bits);
  std::vector<std::vector<bool>> value(circuit.transfer_count());
  std::vector<std::vector<cmb_t>> counts(circuit.transfer_count());
  for (nid_t n = 0; n < circuit.transfer_count(); ++n) {
    value[n].assign(circuit.output_count(n), false);
    if (n >= circuit.data_count() && !circuit[n].reversible())
      counts[n].assign(1u << circuit.input_count(n), 0);
  }
  for (std::uint32_t j = 0; j < sel_bits; ++j)
    value[fixed + order[inputs - sel_bits + j]][0] = (worker >> j) & 1;

  for (std::uint64_t pattern = 0; pattern < (std::uint64_t{1} << free_inputs.size()); ++pattern) {
    for (std::size_t k = 0; k < free_inputs.size(); ++k)
      value[fixed + free_inputs[k]][0] = (pattern >> k) & 1;
    for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
      std::vector<bool> in;
      for (const auto& [source, port, inverted] : circuit[n].inputs())
        in.push_back(value[source][port] != inverted);
      const std::string gate(circuit.gate_name(n));
      const std::string base = gate.substr(gate.find('.') + 1);  // "REC1.AND" computes "AND"
      bool result = false;
      if (base == "W") result = in[0];
      if (base == "AND") result = in[0] && in[1];
      if (base == "OR") result = in[0] || in[1];
      if (base == "XOR") result = in[0] != in[1];
      if (base == "MAJ") result = in[0] + in[1] + in[2] >= 2;
      if (gate.starts_with("REC")) {
        value[n][0] = in[0];
        value[n][1] = result;
        if (gate.starts_with("REC2")) value[n][2] = in.back();
      } else {
        value[n][0] = result;
      }
      if (counts[n].empty()) continue;
      std::uint64_t combination = 0;
      for (bool bit : in) combination = combination << 1 | bit;
      ++counts[n][combination];
    }
  }
  return counts;
}

// A random sorted circuit in printed form: an optional constant node "0", `inputs` inputs i0…,
// (always when there are no inputs) `gates` logic nodes g0… of every evaluable kind reading earlier nodes'
// ports (now and then inverted, the constant and repeated operands included), and up to three output markers.
inline std::vector<std::string> random_circuit(std::mt19937& random, nid_t inputs, nid_t gates,
                                               bool constant) {
  static const char* const kinds[] = {"W",        "AND",     "OR",      "XOR",      "MAJ",     "REC1.AND",
                                      "REC2.AND", "REC1.OR", "REC2.OR", "REC1.MAJ", "REC2.MAJ"};
  std::vector<std::string> lines, sources;  // sources: "name_port" of every port so far
  if (constant || inputs == 0) {            // gates need something to read
    lines.push_back("0 = 0");
    sources.push_back("0_0");
  }
  for (nid_t k = 0; k < inputs; ++k) {
    lines.push_back("i" + std::to_string(k) + " = I");
    sources.push_back("i" + std::to_string(k) + "_0");
  }
  for (nid_t k = 0; k < gates; ++k) {
    const std::string kind = kinds[random() % std::size(kinds)];
    const operation::Gate gate = operation::gates::get(kind);
    std::string line = "g" + std::to_string(k) + " = " + (kind == "W" ? "" : kind) + "(";
    for (int p = 0; p < gate.input_count(); ++p) {
      const std::string inverted = random() % 3 == 0 ? "~" : "";
      line += (p == 0 ? " " : " , ") + inverted + sources.at(random() % sources.size());
    }
    lines.push_back(line + " )");
    for (int p = 0; p < gate.output_count(); ++p)
      sources.push_back("g" + std::to_string(k) + "_" + std::to_string(p));
  }
  const nid_t outputs = sources.empty() ? 0 : 1 + random() % 3;
  for (nid_t k = 0; k < outputs; ++k)
    lines.push_back("o-" + std::to_string(k) + " = O( " + sources.at(random() % sources.size()) + " )");
  return lines;
}

}  // namespace reference
