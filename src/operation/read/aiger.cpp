#include "operation/read/aiger.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operation/gate.hpp"
#include "operation/read/exception.hpp"
#include "operation/read/line.hpp"
#include "util/string.hpp"

namespace operation {
namespace {

using util::string::concat;

using literal_t = std::uint32_t;  // 2 × variable + inversion
constexpr std::uint64_t max_variable = (std::uint64_t{1} << 31) - 1;

// The header "aag M I L O A [B C J F]" or "aig …".
struct AigerHeader {
  bool binary = false;
  std::uint64_t variables = 0, inputs = 0, latches = 0, outputs = 0, ands = 0;
  std::array<std::uint64_t, 4> properties{};  // bad, constraint, justice, fairness
};

// An AND gate: its literal and its two input literals, with the offset of its text.
struct AigerAnd {
  literal_t lhs, rhs0, rhs1;
  std::size_t offset;
};

// The whole file with a read position; line numbers are counted only for messages.
class AigerText {
 public:
  explicit AigerText(std::string data) : data_(std::move(data)) {}

  bool at_end() const { return position_ >= data_.size(); }
  std::size_t position() const { return position_; }
  // The line of the file on which `offset` lies, from 1.
  siz_t line_of(std::size_t offset) const {
    return 1 + static_cast<siz_t>(std::count(data_.begin(), data_.begin() + static_cast<long>(offset), '\n'));
  }
  [[noreturn]] void fail(std::string_view message, std::size_t offset) const {
    throw ReadException(message, line_of(offset));
  }

  // The next line without its line end; throws "…ended early" at the end of the file.
  std::string_view line(std::string_view what) {
    if (at_end()) fail(concat("The file ended before ", what, "."), data_.size());
    const std::size_t end = std::min(data_.find('\n', position_), data_.size());
    const std::string_view text = std::string_view(data_).substr(position_, end - position_);
    position_ = end + 1;
    return text;
  }

  // One number of the binary AND section: 7 bits per byte, least significant first.
  std::uint64_t delta(std::uint64_t gate) {
    std::uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
      if (at_end() || shift > 35)
        fail(concat("The binary AND gates end early or are malformed (gate ", gate, ")."), position_);
      const auto byte = static_cast<unsigned char>(data_[position_++]);
      value |= std::uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return value;
    }
  }

 private:
  std::string data_;
  std::size_t position_ = 0;
};

// Reads a decimal number: digits only, below 2^63.
std::optional<std::uint64_t> number_of(std::string_view text) {
  std::uint64_t value = 0;
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The numbers of the line `text` that begins at `offset`, separated by single spaces.
std::vector<std::uint64_t> numbers(const AigerText& text, std::string_view line, std::size_t offset) {
  std::vector<std::uint64_t> values;
  for (const std::string_view word : util::string::split_all(line, " ")) {
    const auto value = number_of(word);
    if (!value) text.fail(concat("`", word, "` is not a number."), offset);
    values.push_back(*value);
  }
  return values;
}

AigerHeader read_aiger_header(AigerText& text) {
  const std::string_view line = text.line("the header");
  std::string_view rest;
  const std::string_view format = util::string::lsplit(line, " ", rest);
  if (format != "aag" && format != "aig")
    text.fail("Not an AIGER file: the header must begin with `aag` or `aig`.", 0);
  const std::vector<std::uint64_t> values = numbers(text, rest, 0);
  if (values.size() < 5 || values.size() > 9)
    text.fail("The header must hold 5 to 9 numbers: M I L O A [B C J F].", 0);
  AigerHeader header;
  header.binary = format == "aig";
  header.variables = values[0];
  header.inputs = values[1];
  header.latches = values[2];
  header.outputs = values[3];
  header.ands = values[4];
  for (std::size_t i = 5; i < values.size(); ++i) header.properties[i - 5] = values[i];
  if (header.latches != 0) text.fail("Latches are not supported. Is this circuit sequential?", 0);
  if (std::any_of(header.properties.begin(), header.properties.end(), [](std::uint64_t n) { return n != 0; }))
    text.fail(
        "Bad-state, constraint, justice and fairness properties are not supported. Is this circuit "
        "sequential?",
        0);
  if (header.variables > max_variable || header.outputs > max_variable ||
      header.inputs + header.ands + 2 * header.outputs + 1 > limits::max_nodes)
    text.fail("The circuit is too large.", 0);
  if (header.inputs + header.ands > header.variables ||
      (header.binary && header.inputs + header.ands != header.variables))
    text.fail(
        concat("M = ", header.variables, " does not match I + A = ", header.inputs + header.ands,
               header.binary ? " (a binary file needs M = I + L + A)." : " (M must be at least I + L + A)."),
        0);
  return header;
}

// Reads one literal on a line of its own, at most `largest`.
literal_t read_literal(AigerText& text, std::string_view what, std::uint64_t largest) {
  const std::size_t offset = text.position();
  const auto value = number_of(text.line(what));
  if (!value || *value > largest)
    text.fail(concat("Malformed ", what, ": a literal up to ", largest, " expected."), offset);
  return static_cast<literal_t>(*value);
}

// The circuit's parts as the file lists them, before the nodes are made.
struct AigerParts {
  std::vector<literal_t> inputs, outputs;
  std::vector<std::size_t> input_offsets, output_offsets;  // where their lines begin
  std::vector<AigerAnd> ands;
  std::vector<std::string> input_names, output_names;  // from the symbol table; empty: none
};

void read_ascii_ands(AigerText& text, const AigerHeader& header, AigerParts& parts) {
  for (std::uint64_t k = 0; k < header.ands; ++k) {
    const std::size_t offset = text.position();
    const std::vector<std::uint64_t> values = numbers(text, text.line("all AND gates"), offset);
    if (values.size() != 3 ||
        std::any_of(values.begin(), values.end(),
                    [&](std::uint64_t v) { return v > 2 * header.variables + 1; }) ||
        values[0] % 2 != 0 || values[0] < 2)
      text.fail(concat("Malformed AND gate: `lhs rhs0 rhs1` with an even lhs and literals up to ",
                       2 * header.variables + 1, " expected."),
                offset);
    parts.ands.push_back({static_cast<literal_t>(values[0]), static_cast<literal_t>(values[1]),
                          static_cast<literal_t>(values[2]), offset});
  }
}

void read_binary_ands(AigerText& text, const AigerHeader& header, AigerParts& parts) {
  parts.ands.reserve(header.ands);
  for (std::uint64_t k = 0; k < header.ands; ++k) {
    const std::size_t offset = text.position();
    const std::uint64_t lhs = 2 * (header.inputs + k + 1);
    const std::uint64_t delta0 = text.delta(k), delta1 = text.delta(k);
    if (delta0 == 0 || delta0 > lhs || delta1 > lhs - delta0)
      text.fail(concat("Malformed binary AND gate ", k, ": its inputs must come before it."), offset);
    const std::uint64_t rhs0 = lhs - delta0;
    parts.ands.push_back({static_cast<literal_t>(lhs), static_cast<literal_t>(rhs0),
                          static_cast<literal_t>(rhs0 - delta1), offset});
  }
}

// Reads the symbol table up to the comment section ("c" on a line of its own) or the end.
void read_symbols(AigerText& text, AigerParts& parts) {
  while (!text.at_end()) {
    const std::size_t offset = text.position();
    const std::string_view line = text.line("the symbols");
    if (line == "c") return;
    std::string_view name;
    const std::string_view key = util::string::lsplit(line, " ", name);
    std::vector<std::string>* names = nullptr;
    if (!key.empty() && key[0] == 'i') names = &parts.input_names;
    if (!key.empty() && key[0] == 'o') names = &parts.output_names;
    const auto position = key.empty() ? std::nullopt : number_of(key.substr(1));
    if (names == nullptr || !position || *position >= names->size())
      text.fail(concat("Unknown symbol `", key,
                       "`: symbols name inputs (i0, i1, …) and outputs (o0, …) of this file."),
                offset);
    if (name.empty() || name.size() > limits::max_node_name)
      text.fail(concat("The name of symbol `", key, "` must have 1 to ", unsigned{limits::max_node_name},
                       " characters."),
                offset);
    if (!(*names)[*position].empty()) text.fail(concat("Symbol `", key, "` is named twice."), offset);
    (*names)[*position] = std::string(name);
  }
}

AigerParts read_parts(AigerText& text, const AigerHeader& header) {
  AigerParts parts;
  const std::uint64_t largest = 2 * header.variables + 1;
  for (std::uint64_t k = 0; k < header.inputs; ++k) {
    parts.input_offsets.push_back(text.position());
    parts.inputs.push_back(header.binary ? static_cast<literal_t>(2 * (k + 1))
                                         : read_literal(text, "input", largest));
  }
  for (std::uint64_t k = 0; k < header.outputs; ++k) {
    parts.output_offsets.push_back(text.position());
    parts.outputs.push_back(read_literal(text, "output", largest));
  }
  if (header.binary)
    read_binary_ands(text, header, parts);
  else
    read_ascii_ands(text, header, parts);
  parts.input_names.resize(header.inputs);
  parts.output_names.resize(header.outputs);
  read_symbols(text, parts);
  return parts;
}

// A generated name: `prefix` and the number `n`.
std::string_view generated(char (&buffer)[24], char prefix, std::uint64_t n) {
  buffer[0] = prefix;
  const auto end = std::to_chars(buffer + 1, buffer + sizeof buffer, n).ptr;
  return {buffer, static_cast<std::size_t>(end - buffer)};
}

// Builds the circuit of `parts`; `node_of` maps a variable to its node (`undefined` when none).
Circuit build_circuit(const AigerText& text, const AigerHeader& header, AigerParts& parts) {
  constexpr nid_t undefined = ~nid_t{0};
  std::vector<nid_t> node_of(header.variables + 1, undefined);
  node_of[0] = 0;
  Circuit circuit(1 + header.inputs + header.ands + 2 * header.outputs);
  circuit.emplace_node("0", gates::ZERO);
  char buffer[24];
  for (std::uint64_t k = 0; k < header.inputs; ++k) {
    const literal_t literal = parts.inputs[k];
    if (literal % 2 != 0 || literal < 2 || node_of[literal / 2] != undefined)
      text.fail(concat("Input ", k, " must be an even literal of a variable not defined before."),
                parts.input_offsets[k]);
    const std::string_view name =
        parts.input_names[k].empty() ? generated(buffer, 'i', k) : parts.input_names[k];
    node_of[literal / 2] = circuit.emplace_node(name, gates::I);
  }
  for (const AigerAnd& gate : parts.ands) {
    if (node_of[gate.lhs / 2] != undefined)
      text.fail(concat("Variable ", gate.lhs / 2, " is defined twice."), gate.offset);
    node_of[gate.lhs / 2] = circuit.emplace_node(generated(buffer, 'n', gate.lhs / 2), gates::AND);
  }
  bool sorted = true;
  const auto connect = [&](nid_t id, pos_t port, literal_t literal, std::size_t offset) {
    const nid_t source = node_of[literal / 2];
    if (source == undefined)
      text.fail(concat("Literal ", literal, " reads variable ", literal / 2,
                       ", which no input or AND gate defines."),
                offset);
    circuit[id].set_input(port, source, 0, literal % 2 != 0);
    circuit[source].add_fanout(1);
    sorted = sorted && source < id;
  };
  for (const AigerAnd& gate : parts.ands) {
    const nid_t id = node_of[gate.lhs / 2];
    connect(id, 0, gate.rhs0, gate.offset);
    connect(id, 1, gate.rhs1, gate.offset);
  }
  std::vector<nid_t> wires;
  for (std::uint64_t k = 0; k < header.outputs; ++k) {
    const std::string_view name =
        parts.output_names[k].empty() ? generated(buffer, 'o', k) : parts.output_names[k];
    wires.push_back(circuit.emplace_node(name, gates::WIRE));
    connect(wires.back(), 0, parts.outputs[k], parts.output_offsets[k]);
  }
  for (std::uint64_t k = 0; k < header.outputs; ++k) {
    const nid_t id = circuit.emplace_node(concat("o-", k), gates::O);
    circuit[id].set_input(0, wires[k], 0, false);
    circuit[wires[k]].add_fanout(1);
  }
  circuit.set_sorted(sorted);
  return circuit;
}

// The whole content of `fname`.
std::string read_file(const std::filesystem::path& fname) {
  std::ifstream file = open_netlist(fname);
  std::string data;
  char chunk[1 << 16];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    data.append(chunk, static_cast<std::size_t>(file.gcount()));
  check_read_error(file);
  return data;
}

}  // namespace

Circuit read_aiger(const std::filesystem::path& fname) {
  AigerText text(read_file(fname));
  const AigerHeader header = read_aiger_header(text);
  AigerParts parts = read_parts(text, header);
  return build_circuit(text, header, parts);
}

}  // namespace operation
