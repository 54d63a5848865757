#include "operation/read/verilog.hpp"

#include <array>
#include <optional>
#include <ostream>
#include <vector>

#include "operation/gate.hpp"
#include "operation/read/assignment.hpp"
#include "operation/read/exception.hpp"
#include "operation/read/expression.hpp"
#include "operation/read/gate_form.hpp"
#include "operation/read/line.hpp"
#include "util/huge_pages.hpp"
#include "util/stream.hpp"
#include "util/string.hpp"
#include "util/vector.hpp"

namespace operation {
namespace {

using util::string::concat;
using util::string::lsplit;
using util::string::trim;

constexpr siz_t progress_interval = 10000;  // lines between two progress texts

constexpr std::string_view sequential = "Unknown command. Is this circuit sequential?";
constexpr std::string_view instance_advice =
    "Module instances are not supported: flatten the design into one module first (Yosys `flatten`).";

// Whether the progress text is due at line `lineno` of a block that started at line `start`.
bool progress_due(siz_t lineno, siz_t start) { return lineno == start || lineno % progress_interval == 0; }

// Rewrites the terminal line with the line counter.
void print_progress(std::ostream& progress, siz_t lineno) {
  progress << "\r\x1b[Kline = " << lineno << std::flush;
}

// Starts a phase: its name on a line of its own.
void announce(std::ostream& progress, std::string_view phase) { progress << '\n' << phase << std::endl; }

// The name map of the circuit's nodes built so far, after the constants' entries; the first node
// with a given name wins.
node_id_map map_names(const Circuit& circuit) {
  node_id_map node_id;
  node_id.reserve(3 + siz_t{circuit.size()});
  node_id.emplace("1", arc_t(0, 0, true));
  node_id.emplace("1'b0", arc_t(0, 0, false));
  node_id.emplace("1'b1", arc_t(0, 0, true));
  constexpr nid_t ahead = 16;  // names whose entries are being fetched
  for (nid_t id = 0; id < circuit.size(); ++id) {
    if (id + ahead < circuit.size()) node_id.prefetch(circuit.name(id + ahead));
    node_id.emplace(circuit.name(id), arc_t(id, 0, false));
  }
  return node_id;
}

// An assignment taken apart, with its gate recognised and its names looked up, ready to be built.
// Nothing is reported before it is built, so that errors come in statement order.
struct ResolvedAssignment {
  static constexpr std::size_t max_inputs = 3;  // the most inputs of a recognised gate

  Assignment assignment_;
  Gate gate_ = gates::NONE;
  std::optional<arc_t> target_;                           // what the assigned name stands for
  std::array<std::string_view, max_inputs> names_;        // the operands without inversion marks
  std::array<bool, max_inputs> marks_{};                  // an odd number of marks before the operand
  std::array<std::optional<arc_t>, max_inputs> sources_;  // what the operands' names stand for
};

// Takes the statement `line` apart into `resolved`, recognises its gate and removes the inversion
// marks from the names of the gate's inputs (a majority is always read by its meaning).
void prepare(ResolvedAssignment& resolved, std::string_view line) {
  resolved = ResolvedAssignment();
  resolved.assignment_ = parse_assignment(line);
  resolved.gate_ = detect_gate(resolved.assignment_);
  if (resolved.gate_ == gates::MAJ) return;
  for (std::size_t i = 0; i < resolved.gate_.input_count(); ++i) {
    resolved.names_[i] = resolved.assignment_.operands_[i];
    resolved.marks_[i] = remove_tilde(resolved.names_[i]);
  }
}

// Looks up the names of a prepared assignment whose gate was recognised.
void look_up(ResolvedAssignment& resolved, const node_id_map& node_id) {
  if (resolved.gate_.in(gates::NONE, gates::MAJ)) return;
  resolved.target_ = node_id.find(resolved.assignment_.name_);
  for (std::size_t i = 0; i < resolved.gate_.input_count(); ++i)
    resolved.sources_[i] = node_id.find(resolved.names_[i]);
}

// The arc that `name` stood for in the map; throws ReadException "Unknown name `NAME`." at line
// `lineno` when it was not there.
arc_t found(const std::optional<arc_t>& arc, std::string_view name, siz_t lineno) {
  if (!arc) throw ReadException(util::string::concat("Unknown name `", name, "`."), lineno);
  return *arc;
}

// Gives the node `id`, which the name `name` of the statement at line `lineno` stands for, the gate
// `gate`; refuses a node that has one already.
void assign_gate(Circuit& circuit, nid_t id, std::string_view name, Gate gate, siz_t lineno) {
  const Gate present = circuit.gate(id);
  if (present == gates::ZERO)
    throw ReadException(concat("`", name, "` is a constant: it cannot be assigned."), lineno);
  if (present == gates::I)
    throw ReadException(concat("`", name, "` is an input: it cannot be assigned."), lineno);
  if (present != gates::NONE) throw ReadException(concat("`", name, "` is assigned twice."), lineno);
  circuit[id].set_gate(gate);
}

// Whether the fast reading of `resolved` (the operands as the text between operator characters)
// gives its meaning: a WIRE, AND, OR or XOR written without parentheses whose names were all found.
// Any other text (sized constants, selects, concatenations, operators of other kinds) leaves a name
// unfound, and is read by its meaning.
bool plainly_read(const ResolvedAssignment& resolved) {
  const Gate gate = resolved.gate_;
  if (!resolved.assignment_.plain_ || !gate.in(gates::WIRE, gates::AND, gates::OR, gates::XOR) ||
      !resolved.target_)
    return false;
  for (std::size_t i = 0; i < gate.input_count(); ++i)
    if (!resolved.sources_[i]) return false;
  return true;
}

// Makes input `input` of node `id` read `arc`, complemented when `mark`; calls `count_read` with the
// node read and clears `sorted` when that node does not come before node `id`.
template <typename CountRead>
void connect(Circuit& circuit, nid_t id, pos_t input, const arc_t& arc, bool mark, bool& sorted,
             CountRead& count_read) {
  const auto [source, port, inverted] = arc;
  circuit[id].set_input(input, source, port, inverted != mark);
  count_read(source);
  sorted = sorted && source < id;
}

// The arc that the bit `bit` stands for.
arc_t arc_of(const BitRef& bit, const node_id_map& node_id, siz_t lineno) {
  if (bit.name_.empty()) return {0, 0, bit.value_};
  return found(node_id.find(bit.name_), bit.name_, lineno);
}

// Builds the assignment `line` (from line `lineno`) by its Verilog meaning: one gate per bit of its
// target. `flat`: what the fast reading found.
template <typename CountRead>
nid_t build_by_meaning(Circuit& circuit, std::string_view line, siz_t lineno, const AssignContext& context,
                       const FlatReading& flat, bool& sorted, CountRead count_read) {
  std::string_view right;
  std::string_view left = lsplit(line, "=", right);
  if (left.size() == line.size()) throw ReadException("Could not detect gate.", lineno);
  lsplit(left, " ", left);
  right = trim(right);
  if (right.ends_with(';')) right.remove_suffix(1);
  const std::vector<BitRef> targets = parse_target(trim(left), context.vectors_, lineno);
  const Expression expression = parse_expression(right, context.vectors_, lineno);
  for (const Term& term : expression.terms_)
    if (term.kind_ == Term::Kind::bits && term.width_ != targets.size())
      throw ReadException(
          concat("Widths differ: `", trim(left), "` has ", targets.size(), " bits, `",
                 right.substr(term.begin_, term.end_ - term.begin_), "` has ", term.width_, "."),
          lineno);
  nid_t id = 0;
  for (std::size_t bit = 0; bit < targets.size(); ++bit) {
    const GateForm form = recognise_gate(expression, bit, right, lineno, flat);
    id = arc_of(targets[bit], context.node_id_, lineno).node;
    assign_gate(circuit, id, targets[bit].name_, form.gate_, lineno);
    for (pos_t i = 0; i < form.gate_.input_count(); ++i)
      connect(circuit, id, i, arc_of(*form.inputs_[i], context.node_id_, lineno), form.inverted_[i], sorted,
              count_read);
    if (form.inverted_output_) context.inverted_outputs_.push_back(id);
  }
  return id;
}

// Gives the node that the assignment `resolved` (the statement `line` starting at line `lineno`)
// assigns its gate and input arcs, calling `count_read` with the index of every node it reads;
// clears `sorted` when one of them does not come before it. Returns the (last) assigned node's index.
template <typename CountRead>
nid_t build_assignment(Circuit& circuit, const ResolvedAssignment& resolved, std::string_view line,
                       siz_t lineno, const AssignContext& context, bool& sorted, CountRead count_read) {
  if (resolved.assignment_.word_ != "assign") throw ReadException("This is not an assignment.", lineno);
  if (!plainly_read(resolved))
    return build_by_meaning(circuit, line, lineno, context,
                            FlatReading{resolved.gate_, resolved.assignment_.operands()}, sorted, count_read);
  const nid_t id = resolved.target_->node;
  assign_gate(circuit, id, resolved.assignment_.name_, resolved.gate_, lineno);
  for (pos_t i = 0; i < resolved.gate_.input_count(); ++i)
    connect(circuit, id, i, *resolved.sources_[i], resolved.marks_[i], sorted, count_read);
  return id;
}

// Complements every arc that reads a node of `inverted_outputs`: their names stand for the
// complement of their gates' outputs.
void complement_readers(Circuit& circuit, const std::vector<nid_t>& inverted_outputs) {
  if (inverted_outputs.empty()) return;
  std::vector<bool> inverted(circuit.size(), false);
  for (const nid_t id : inverted_outputs) inverted[id] = true;
  for (Node& node : circuit)
    for (arc_t& arc : node.inputs())
      if (inverted[arc.node]) arc.inverted = !arc.inverted;
}

// The fan-out counts of one pass over the assignments, kept apart from the nodes and added to them
// when the pass ends (also by an error). A compact array on huge pages spares the millions of
// randomly placed increments the address translation misses that the large node array would cause.
class FanoutCounts {
 public:
  explicit FanoutCounts(Circuit& circuit) : circuit_(circuit), counts_(circuit.size(), 0) {}
  FanoutCounts(const FanoutCounts&) = delete;
  FanoutCounts& operator=(const FanoutCounts&) = delete;
  ~FanoutCounts() {
    for (nid_t id = 0; id < counts_.size(); ++id) circuit_[id].add_fanout(counts_[id]);
  }

  // Counts one more arc reading node `id`.
  void count(nid_t id) { ++counts_[id]; }
  // Starts fetching the count of node `id`.
  void prefetch(nid_t id) const { __builtin_prefetch(&counts_[id]); }

 private:
  Circuit& circuit_;
  std::vector<nid_t, util::huge_page_allocator<nid_t>> counts_;
};

// A statement of the module body with the line counter before and after it and the line it begins
// on, taken apart as an assignment (whose views point into `text_`, so a statement is never moved).
struct Statement {
  std::string text_;
  siz_t before_ = 0;
  siz_t after_ = 0;
  siz_t first_ = 0;
  ResolvedAssignment resolved_;
};

// Reads the next statement into `statement`, prepares it and starts fetching the map entries of the
// names it uses: netlists name their signals in no order that memory could follow, so each lookup
// would otherwise wait for memory.
void read_statement(std::istream& file, siz_t& lineno, std::string& buffer, const node_id_map& node_id,
                    Statement& statement) {
  statement.before_ = lineno;
  statement.first_ = read_full_line(file, lineno, ';', buffer, statement.text_);
  statement.after_ = lineno;
  ResolvedAssignment& resolved = statement.resolved_;
  prepare(resolved, trim(statement.text_));
  if (resolved.gate_ == gates::NONE) return;
  node_id.prefetch(resolved.assignment_.name_);
  for (std::size_t i = 0; i < resolved.gate_.input_count(); ++i) node_id.prefetch(resolved.names_[i]);
}

// Looks up the names of `statement`, whose map entries have arrived meanwhile, and starts fetching
// the fan-out counts that building it will change.
void resolve_statement(Statement& statement, const node_id_map& node_id, const FanoutCounts& fanouts) {
  look_up(statement.resolved_, node_id);
  for (const std::optional<arc_t>& source : statement.resolved_.sources_)
    if (source) fanouts.prefetch(source->node);
}

// The first word of `text` and, in `rest`, what follows it.
std::string_view first_word(std::string_view text, std::string_view& rest) {
  text = util::string::ltrim(text);
  const std::size_t end = std::min(text.find_first_of(" \f\n\r\t\v(#;"), text.size());
  rest = text.substr(end);
  return text.substr(0, end);
}

// Whether `text` begins like a module instance: a module name, then an instance name or parameters.
bool is_instance(std::string_view text) {
  std::string_view rest;
  const std::string_view type = first_word(text, rest);
  rest = util::string::ltrim(rest);
  if (type.empty() || rest.empty()) return false;
  if (rest.front() == '#') return true;
  std::string_view after;
  const std::string_view name = first_word(rest, after);
  return !name.empty() && util::string::ltrim(after).starts_with('(');
}

// Refuses the body statement `text` (line `lineno`), which is neither an assignment nor "endmodule",
// saying what it is when it is known.
[[noreturn]] void refuse_statement(std::string_view text, siz_t lineno) {
  std::string_view rest;
  const std::string_view word = first_word(text, rest);
  if (word == "endmodule" && first_word(rest, rest) == "module")
    throw ReadException(concat("More than one module: ", instance_advice), lineno);
  if (word == "input" || word == "output" || word == "wire")
    throw ReadException(
        "Declarations after the first assignment are not supported: declare every signal "
        "before the first `assign`.",
        lineno);
  if (word != "always" && word != "initial" && word != "reg" && is_instance(text))
    throw ReadException(instance_advice, lineno);
  throw ReadException(sequential, lineno);
}

// Refuses a circuit in which a node reads a declared name that no assignment gave a gate: such a
// node has no output to read. The message is the one the topological sort gives for the same fault.
void check_reads_assigned(const Circuit& circuit) {
  for (nid_t id = circuit.data_count(); id < circuit.size(); ++id)
    for (const auto& [source, port, inverted] : circuit[id].inputs())
      if (circuit.gate(source) == gates::NONE)
        throw ReadException(
            util::string::concat("Node `", circuit.name(id), "` reads `", circuit.name(source),
                                 "`, which is not kept (unassigned or on a combinational cycle)."));
}

// The words and the range that may open a declaration's names ("wire", "signed", "[3:0]"), taken
// from the front of `item`.
std::optional<BitRange> declaration_prefix(std::string_view& item, siz_t lineno) {
  std::optional<BitRange> range;
  while (true) {
    item = util::string::ltrim(item);
    if (item.starts_with('[')) {
      range = parse_range(item, lineno);
      continue;
    }
    std::string_view rest;
    const std::string_view word = first_word(item, rest);
    if (word == "reg" || word == "logic") throw ReadException(sequential, lineno);
    if (word != "wire" && word != "signed") return range;
    item = rest;
  }
}

// Declares the signal `name` (one per bit of `range`, when given) of kind `kind` in `names`. A wire
// that repeats a port's name is that port; a port declared twice is refused.
inline void declare(std::string_view name, const std::optional<BitRange>& range, DeclarationKind kind,
                    VerilogHeader& header, std::deque<std::string>& names, siz_t lineno) {
  if (range) {
    const auto [entry, added] = header.vectors_.try_emplace(std::string(name), *range);
    if (!added && entry->second != *range)
      throw ReadException(concat("`", name, "` is declared with two different ranges."), lineno);
  }
  if (kind == DeclarationKind::wire) {
    if (header.ports_.contains(name)) return;
  } else if (!header.ports_.insert(name)) {
    throw ReadException(concat("`", name, "` is declared as a port twice."), lineno);
  }
  if (!range) {
    names.emplace_back(name);
    return;
  }
  for (std::int64_t k = 0; k < range->width(); ++k) names.push_back(bit_name(name, range->index(k)));
}

// Reads the module statement whose text after "module" begins with `rest`. Ports declared in its
// list ("module m(input [3:0] a, output y);") are declared; a plain list of port names declares
// nothing.
void read_module(std::istream& file, std::string_view rest, siz_t& lineno, VerilogHeader& header) {
  const siz_t first = lineno;
  std::string text(rest), buffer;
  while (!text.empty() && text.back() != ';') {
    const std::string_view line = read_next_line(file, lineno, buffer);
    if (line.empty()) break;
    text += ' ';
    text += line;
  }
  const std::size_t open = text.find('('), close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return;
  std::string_view ports = std::string_view(text).substr(open + 1, close - open - 1);
  std::optional<DeclarationKind> kind;  // none: a plain list of port names
  std::optional<BitRange> range;
  while (!ports.empty()) {
    std::string_view item = trim(lsplit(ports, ",", ports)), after;
    const std::string_view word = first_word(item, after);
    if (word == "inout") throw ReadException("Bidirectional ports (`inout`) are not supported.", first);
    if (word == "input" || word == "output") {
      kind = word == "input" ? DeclarationKind::input : DeclarationKind::output;
      item = after;
      range = declaration_prefix(item, first);
    }
    if (!kind) continue;
    item = trim(item, trim_sv);
    if (item.size() > limits::max_node_name) throw ReadException(name_too_long, first);
    declare(item, range, *kind, header, *kind == DeclarationKind::input ? header.inputs_ : header.outputs_,
            first);
  }
}

// Refuses the header statement `line` (line `lineno`), which declares nothing and is no assignment.
[[noreturn]] void refuse_declaration(std::string_view line, siz_t lineno) {
  std::string_view rest;
  const std::string_view word = first_word(line, rest);
  if (word == "reg" || word == "always" || word == "initial") throw ReadException(sequential, lineno);
  if (word == "inout") throw ReadException("Bidirectional ports (`inout`) are not supported.", lineno);
  if (word != "endmodule" && is_instance(line)) throw ReadException(instance_advice, lineno);
  throw ReadException("File ended with no assignments.", lineno);
}

}  // namespace

bool PortNames::insert(std::string_view name) {
  ends_.set(ends(name));
  return names_.emplace(name).second;
}

Circuit read_verilog(const std::filesystem::path& fname, std::ostream& progress) {
  std::ifstream file = open_netlist(fname);
  siz_t lineno = 0;
  VerilogHeader header = read_header(file, lineno, progress);
  header.logic_.insert(header.logic_.end(), header.outputs_.begin(), header.outputs_.end());

  Circuit circuit(1 + siz_t{header.inputs_.size()} + header.logic_.size() + header.outputs_.size());
  circuit.emplace_node("0", gates::ZERO);
  for (const std::string& name : header.inputs_) circuit.emplace_node(name, gates::I);
  for (const std::string& name : header.logic_) circuit.emplace_node(name, gates::NONE);
  util::vector::real_clear(header.inputs_);
  util::vector::real_clear(header.logic_);

  announce(progress, "building name to id map");
  const node_id_map node_id = map_names(circuit);
  announce(progress, "reading assignments");
  std::vector<nid_t> inverted_outputs;
  const bool sorted =
      read_assigns(file, circuit, lineno, {node_id, header.vectors_, inverted_outputs}, progress);
  file.close();

  // Every output name is also a logic node's name, so the lookup fails only for a map built by hand;
  // it would be reported at the last line read.
  for (siz_t i = 0; i < header.outputs_.size(); ++i) {
    const arc_t arc = found(node_id.find(header.outputs_[i]), header.outputs_[i], lineno);
    const nid_t id = circuit.emplace_node(util::string::concat("o-", i), gates::O);
    circuit[id].set_input(0, arc);
    circuit[arc.node].add_fanout(1);
  }
  util::vector::real_clear(header.outputs_);
  complement_readers(circuit, inverted_outputs);
  check_reads_assigned(circuit);
  circuit.set_sorted(sorted);
  return circuit;
}

VerilogHeader read_header(std::istream& file, siz_t& lineno, std::ostream& progress) {
  VerilogHeader header;
  std::string buffer;
  bool announced[3] = {false, false, false};  // inputs, outputs, wires
  while (true) {
    const std::streampos position = file.tellg();
    const siz_t line_before = lineno;
    std::string_view rest;
    const std::string_view line = read_next_line(file, lineno, buffer);
    const std::string_view keyword = lsplit(line, " ", rest);
    const int list = keyword == "input" ? 0 : keyword == "output" ? 1 : keyword == "wire" ? 2 : -1;
    if (keyword == "module") {
      read_module(file, rest, lineno, header);
    } else if (list >= 0) {
      // Each kind is announced once: netlists of synthesis tools declare one signal per statement.
      constexpr std::string_view phases[] = {"reading inputs", "reading outputs", "reading wires"};
      if (!announced[list]) announce(progress, phases[list]);
      std::ostream& counter = announced[list] ? util::null_ostr : progress;
      announced[list] = true;
      const DeclarationKind kind = list == 0   ? DeclarationKind::input
                                   : list == 1 ? DeclarationKind::output
                                               : DeclarationKind::wire;
      read_names(file, buffer, rest, lineno, kind, header, counter);
    } else if (keyword == "assign") {
      // The body is read from this line again, which a pipe cannot do.
      if (position == std::streampos(-1))
        throw ReadException("Cannot read the netlist from a pipe: give a regular file.");
      file.seekg(position);
      lineno = line_before;
      return header;
    } else {
      check_read_error(file);
      refuse_declaration(line, lineno);
    }
  }
}

void read_names(std::istream& file, std::string& buffer, std::string_view line, siz_t& lineno,
                DeclarationKind kind, VerilogHeader& header, std::ostream& progress) {
  const siz_t start = lineno;
  std::deque<std::string>& names = kind == DeclarationKind::input    ? header.inputs_
                                   : kind == DeclarationKind::output ? header.outputs_
                                                                     : header.logic_;
  std::optional<BitRange> range;
  bool first = true;  // before the first name: words and the range may come
  while (true) {
    if (progress_due(lineno, start)) print_progress(progress, lineno);
    char last = '\0';  // the last character of the line's last item
    while (!line.empty()) {
      std::string_view item = lsplit(line, ",", line);
      last = item.empty() ? '\0' : item.back();
      item = trim(item, trim_sv);
      if (first) {
        range = declaration_prefix(item, lineno);
        first = item.empty();
      } else if (item.starts_with('[')) {
        throw ReadException("A range stands only before the first name of a declaration.", lineno);
      }
      if (item.size() > limits::max_node_name) throw ReadException(name_too_long, lineno);
      if (!item.empty()) declare(item, range, kind, header, names, lineno);
    }
    if (last == ';') break;
    line = read_next_line(file, lineno, buffer);
    if (line.empty()) {
      check_read_error(file);
      throw ReadException("File ended inside a name list.", lineno);
    }
  }
  print_progress(progress, lineno);
  progress << std::endl;
}

bool read_assigns(std::istream& file, Circuit& circuit, siz_t& lineno, const AssignContext& context,
                  std::ostream& progress) {
  const node_id_map& node_id = context.node_id_;
  const siz_t start = lineno;
  bool sorted = true;
  std::string buffer;
  FanoutCounts fanouts(circuit);
  // The statement being built and the next two, read ahead so that memory is fetched meanwhile: the
  // map entries of the last one's names, the fan-out counts of the nodes that the middle one reads.
  // After "endmodule" the input has ended, so reading ahead changes neither the line counter nor what
  // is printed, and errors are still reported in statement order.
  std::array<Statement, 3> window;
  read_statement(file, lineno, buffer, node_id, window[0]);
  read_statement(file, lineno, buffer, node_id, window[1]);
  resolve_statement(window[0], node_id, fanouts);
  for (std::size_t k = 0;; ++k) {
    const Statement& current = window[k % 3];
    if (progress_due(current.before_, start)) print_progress(progress, current.before_);
    const siz_t statement_line = current.first_ != 0 ? current.first_ : current.before_ + 1;
    const std::string_view text = trim(current.text_);
    if (text == "endmodule") {
      print_progress(progress, current.after_);
      progress << std::endl;
      return sorted;
    }
    if (text.size() < 6 || !text.starts_with("assign")) {
      check_read_error(file);
      refuse_statement(text, statement_line);
    }
    read_statement(file, lineno, buffer, node_id, window[(k + 2) % 3]);
    resolve_statement(window[(k + 1) % 3], node_id, fanouts);
    build_assignment(circuit, current.resolved_, text, statement_line, context, sorted,
                     [&](nid_t source) { fanouts.count(source); });
  }
}

nid_t read_assign(Circuit& circuit, std::string_view line, siz_t lineno, const AssignContext& context,
                  bool& sorted) {
  ResolvedAssignment resolved;
  prepare(resolved, line);
  look_up(resolved, context.node_id_);
  return build_assignment(circuit, resolved, line, lineno, context, sorted,
                          [&](nid_t source) { circuit[source].add_fanout(1); });
}

}  // namespace operation
