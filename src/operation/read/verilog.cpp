#include "operation/read/verilog.hpp"

#include <array>
#include <optional>
#include <ostream>
#include <vector>

#include "operation/gate.hpp"
#include "operation/read/assignment.hpp"
#include "operation/read/exception.hpp"
#include "operation/read/line.hpp"
#include "util/huge_pages.hpp"
#include "util/string.hpp"
#include "util/vector.hpp"

namespace operation {
namespace {

using util::string::lsplit;
using util::string::trim;

constexpr siz_t progress_interval = 10000;  // lines between two progress texts

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
// marks from the names of the gate's inputs.
void prepare(ResolvedAssignment& resolved, std::string_view line) {
  resolved = ResolvedAssignment();
  resolved.assignment_ = parse_assignment(line);
  resolved.gate_ = detect_gate(resolved.assignment_);
  for (std::size_t i = 0; i < resolved.gate_.input_count(); ++i) {
    resolved.names_[i] = resolved.assignment_.operands_[i];
    resolved.marks_[i] = remove_tilde(resolved.names_[i]);
  }
}

// Looks up the names of a prepared assignment whose gate was recognised.
void look_up(ResolvedAssignment& resolved, const node_id_map& node_id) {
  if (resolved.gate_ == gates::NONE) return;
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

// Gives the node that the assignment `resolved` (the statement starting at line `lineno`) assigns its
// gate and input arcs, calling `count_read` with the index of every node it reads; clears `sorted`
// when one of them does not come before it. Returns the assigned node's index.
template <typename CountRead>
nid_t build_assignment(Circuit& circuit, const ResolvedAssignment& resolved, siz_t lineno, bool& sorted,
                       CountRead count_read) {
  if (resolved.assignment_.word_ != "assign") throw ReadException("This is not an assignment.", lineno);
  if (resolved.gate_ == gates::NONE) throw ReadException("Could not detect gate.", lineno);
  const nid_t id = found(resolved.target_, resolved.assignment_.name_, lineno).node;
  Node& node = circuit[id];
  node.set_gate(resolved.gate_);
  for (pos_t i = 0; i < resolved.gate_.input_count(); ++i) {
    const auto [source, port, inverted] = found(resolved.sources_[i], resolved.names_[i], lineno);
    node.set_input(i, source, port, inverted != resolved.marks_[i]);
    count_read(source);
    sorted = sorted && source < id;
  }
  return id;
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

// A statement of the module body with the line counter before and after it, taken apart as an
// assignment (whose views point into `text_`, so a statement is never moved).
struct Statement {
  std::string text_;
  siz_t before_ = 0;
  siz_t after_ = 0;
  ResolvedAssignment resolved_;
};

// Reads the next statement into `statement`, prepares it and starts fetching the map entries of the
// names it uses: netlists name their signals in no order that memory could follow, so each lookup
// would otherwise wait for memory.
void read_statement(std::istream& file, siz_t& lineno, std::string& buffer, const node_id_map& node_id,
                    Statement& statement) {
  statement.before_ = lineno;
  read_full_line(file, lineno, ';', buffer, statement.text_);
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

}  // namespace

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
  const bool sorted = read_assigns(file, circuit, lineno, node_id, progress);
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
  check_reads_assigned(circuit);
  circuit.set_sorted(sorted);
  return circuit;
}

VerilogHeader read_header(std::istream& file, siz_t& lineno, std::ostream& progress) {
  VerilogHeader header;
  std::string buffer;
  while (true) {
    const std::streampos position = file.tellg();
    const siz_t line_before = lineno;
    std::string_view rest;
    const std::string_view keyword = lsplit(read_next_line(file, lineno, buffer), " ", rest);
    if (keyword == "module") {
      ignore_command(file, rest, lineno, ';');
    } else if (keyword == "input") {
      announce(progress, "reading inputs");
      header.inputs_ = read_names(file, buffer, rest, lineno, progress);
    } else if (keyword == "output") {
      announce(progress, "reading outputs");
      header.outputs_ = read_names(file, buffer, rest, lineno, progress);
    } else if (keyword == "wire") {
      announce(progress, "reading wires");
      header.logic_ = read_names(file, buffer, rest, lineno, progress);
    } else if (keyword == "assign") {
      // The body is read from this line again, which a pipe cannot do.
      if (position == std::streampos(-1))
        throw ReadException("Cannot read the netlist from a pipe: give a regular file.");
      file.seekg(position);
      lineno = line_before;
      return header;
    } else {
      check_read_error(file);
      throw ReadException("File ended with no assignments.", lineno);
    }
  }
}

std::deque<std::string> read_names(std::istream& file, std::string& buffer, std::string_view line,
                                   siz_t& lineno, std::ostream& progress) {
  const siz_t start = lineno;
  std::deque<std::string> names;
  while (true) {
    if (progress_due(lineno, start)) print_progress(progress, lineno);
    char last = '\0';  // the last character of the line's last item
    while (!line.empty()) {
      std::string_view item = lsplit(line, ",", line);
      last = item.empty() ? '\0' : item.back();
      item = trim(item, trim_sv);
      if (item.size() > limits::max_node_name) throw ReadException(name_too_long, lineno);
      if (!item.empty()) names.emplace_back(item);
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
  return names;
}

bool read_assigns(std::istream& file, Circuit& circuit, siz_t& lineno, const node_id_map& node_id,
                  std::ostream& progress) {
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
    const siz_t statement_line = current.before_ + 1;
    const std::string_view text = trim(current.text_);
    if (text == "endmodule") {
      print_progress(progress, current.after_);
      progress << std::endl;
      return sorted;
    }
    if (text.size() < 6 || !text.starts_with("assign")) {
      check_read_error(file);
      throw ReadException("Unknown command. Is this circuit sequential?", statement_line);
    }
    read_statement(file, lineno, buffer, node_id, window[(k + 2) % 3]);
    resolve_statement(window[(k + 1) % 3], node_id, fanouts);
    build_assignment(circuit, current.resolved_, statement_line, sorted,
                     [&](nid_t source) { fanouts.count(source); });
  }
}

nid_t read_assign(Circuit& circuit, std::string_view line, siz_t lineno, const node_id_map& node_id,
                  bool& sorted) {
  ResolvedAssignment resolved;
  prepare(resolved, line);
  look_up(resolved, node_id);
  return build_assignment(circuit, resolved, lineno, sorted,
                          [&](nid_t source) { circuit[source].add_fanout(1); });
}

}  // namespace operation
