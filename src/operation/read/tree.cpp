#include "operation/read/tree.hpp"

#include <string_view>
#include <utility>

#include "operation/read/exception.hpp"
#include "operation/read/line.hpp"
#include "util/string.hpp"

namespace operation {
namespace {

using util::string::concat;
using util::string::lsplit;

// One line's tokens, moved out of the tables of `parse_tree` as the line is built.
struct TreeLine {
  std::vector<std::string> names_;
  std::vector<Gate> gates_;
  multi<std::uint32_t> offs_;
  multi<bool> invs_;
};

bool recycles(Gate gate) {
  return gate.in(gates::REC1_AND, gates::REC1_OR, gates::REC1_MAJ, gates::REC2_AND, gates::REC2_OR,
                 gates::REC2_MAJ);
}

bool recycles_last_input(Gate gate) { return gate.in(gates::REC2_AND, gates::REC2_OR, gates::REC2_MAJ); }

// The output port that reference j of `count` references of a node of gate `gate` drives: port 0 for
// the first, 1 for the others of a recycling gate, 2 for the last of a gate that recycles its last input.
// It is always below the gate's output count (REC1 kinds have 2 ports, REC2 kinds 3) when the gate has
// outputs at all; `build_line` refuses references of gates without outputs.
pos_t referenced_port(Gate gate, std::size_t j, std::size_t count) {
  if (recycles_last_input(gate) && j + 1 == count) return 2;
  if (j == 0 || !recycles(gate)) return 0;
  return 1;
}

// Reads the reference list "~0,1,~~2#comment" of the node `name` on line `lineno` into slot numbers
// and inversion parities; the list ends at the first empty item. Throws ReadException when a slot
// is not a decimal number of at most 32 bits.
void parse_references(std::string_view text, std::string_view name, siz_t lineno,
                      std::vector<std::uint32_t>& offs, std::vector<bool>& invs) {
  text = util::string::rtrim(lsplit(text, "#"));  // a line end of "\r\n" leaves a "\r"
  while (!text.empty()) {
    std::string_view item = lsplit(text, ",", text);
    if (item.empty()) break;
    bool inverted = false;
    for (; !item.empty() && item.front() == '~'; item.remove_prefix(1)) inverted = !inverted;
    const auto slot = util::string::to_unsigned<std::uint32_t>(item);
    if (!slot)
      throw ReadException(concat("Slot `", item, "` of `", name, "` is not a number from 0 to 4294967295."),
                          lineno);
    invs.push_back(inverted);
    offs.push_back(*slot);
  }
}

// Builds the line numbered `lineno` (from 1) into `circuit`: its gates read the slot table `prev_line`
// of the line before, its references fill the returned slot table of `slots` entries.
std::vector<arc_t> build_line(Circuit& circuit, TreeLine line, const std::vector<arc_t>& prev_line,
                              std::uint32_t slots, siz_t lineno) {
  std::vector<arc_t> next_line(slots);
  siz_t offset = 0;  // the first slot of `prev_line` that the current token reads
  for (std::size_t t = 0; t < line.names_.size(); ++t) {
    const Gate gate = line.gates_[t];
    const std::vector<std::uint32_t>& offs = line.offs_[t];
    const std::vector<bool>& invs = line.invs_[t];
    if (offset + gate.input_count() > prev_line.size())
      throw ReadException(concat("Gate `", line.names_[t], "` reads more slots than the line before drives (",
                                 prev_line.size(), ")."),
                          lineno);
    // Every reference drives a port of the gate: one without outputs has none to drive.
    if (gate.output_count() == 0 && !offs.empty())
      throw ReadException(
          concat("Gate `", line.names_[t], "` has no output, but lists ", offs.size(), " references."),
          lineno);
    if (offs.empty() && recycles(gate))
      throw ReadException(concat("Recycling gate `", line.names_[t], "` has no output reference."), lineno);
    for (const std::uint32_t slot : offs)
      if (slot >= slots)
        throw ReadException(concat("Slot ", slot, " of `", line.names_[t], "` is out of range (the line has ",
                                   slots, " references)."),
                            lineno);

    if (gate == gates::WIRE) {
      const auto& [source, port, inverted] = prev_line[offset];
      for (std::size_t j = 0; j < offs.size(); ++j)
        next_line[offs[j]] = arc_t(source, port, inverted != invs[j]);
    } else if (gate == gates::ZERO) {
      for (std::size_t j = 0; j < offs.size(); ++j) next_line[offs[j]] = arc_t(0, 0, invs[j]);
    } else {
      const nid_t id = circuit.emplace_node(line.names_[t], gate);
      for (pos_t i = 0; i < gate.input_count(); ++i) {
        const arc_t& arc = prev_line[offset + i];
        circuit[id].set_input(i, arc);
        circuit[arc.node].add_fanout(1);
      }
      for (std::size_t j = 0; j < offs.size(); ++j)
        next_line[offs[j]] = arc_t(id, referenced_port(gate, j, offs.size()), invs[j]);
    }
    offset += gate.input_count();
  }
  return next_line;
}

}  // namespace

void parse_tree(const std::filesystem::path& fname, multi<std::string>& nod_names, multi<Gate>& nod_gates,
                multi<std::vector<std::uint32_t>>& nod_offs, multi<std::vector<bool>>& nod_invs,
                std::vector<std::uint32_t>& fanouts, nid_t& nod_count) {
  std::ifstream file = open_netlist(fname);
  nod_count = 1;
  std::string text;
  for (siz_t lineno = 1; std::getline(file, text); ++lineno) {
    auto& names = nod_names.emplace_back();
    auto& line_gates = nod_gates.emplace_back();
    auto& offs = nod_offs.emplace_back();
    auto& invs = nod_invs.emplace_back();
    std::uint32_t& references = fanouts.emplace_back(0);
    for (const std::string_view token : util::string::split_all(text, " ")) {
      std::string_view rest, references_text;
      const std::string_view name = lsplit(token, "=", rest);
      if (name.size() > limits::max_node_name) throw ReadException(name_too_long, lineno);
      const Gate gate = gates::get(lsplit(rest, "@", references_text));
      if (!gate.in(gates::WIRE, gates::ZERO)) ++nod_count;
      names.emplace_back(name);
      line_gates.push_back(gate);
      parse_references(references_text, name, lineno, offs.emplace_back(), invs.emplace_back());
      references += static_cast<std::uint32_t>(offs.back().size());
    }
  }
  check_read_error(file);
}

Circuit read_tree(const std::filesystem::path& fname) {
  multi<std::string> nod_names;
  multi<Gate> nod_gates;
  multi<std::vector<std::uint32_t>> nod_offs;
  multi<std::vector<bool>> nod_invs;
  std::vector<std::uint32_t> fanouts;
  nid_t nod_count = 0;
  parse_tree(fname, nod_names, nod_gates, nod_offs, nod_invs, fanouts, nod_count);
  // An empty file describes no circuit: most likely its writer failed.
  if (nod_count == 1) throw ReadException("File holds no nodes.");

  Circuit circuit(nod_count);
  circuit.emplace_node("0", gates::ZERO);
  std::vector<arc_t> prev_line;
  for (std::size_t l = 0; l < nod_names.size(); ++l) {
    TreeLine line{std::move(nod_names[l]), std::move(nod_gates[l]), std::move(nod_offs[l]),
                  std::move(nod_invs[l])};
    prev_line = build_line(circuit, std::move(line), prev_line, fanouts[l], l + 1);
  }
  circuit.set_sorted(true);
  return circuit;
}

}  // namespace operation
