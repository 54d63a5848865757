#pragma once

#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "bdd/diagram.hpp"
#include "bdd/model_count.hpp"
#include "counting/outcome.hpp"
#include "counting/phases.hpp"
#include "counting/results.hpp"
#include "counting/settings.hpp"
#include "operation/circuit.hpp"
#include "util/error.hpp"
#include "util/eta.hpp"

namespace symbolic {

// The decision diagrams outgrew the memory (or the node table's limit) while building a gate's.
class diagrams_too_large : public util::resource_error {
 public:
  diagrams_too_large(std::string_view reason, std::string_view gate, std::uint64_t gate_number,
                     std::uint64_t gates);
  ~diagrams_too_large() override;
};

// The two input orders of a run, as input indices.
struct input_orders {
  // The order that splits the input space among workers: its last "-sel-bits" entries are the sel
  // inputs, fixed by the worker number, as in the enumeration with the same order.
  std::vector<std::uint32_t> split;
  // The diagrams' initial variable order, top first; the sel inputs in it are skipped.
  std::vector<std::uint32_t> variables;
  // When not empty, the variable order to start again with, once, if the diagrams alive in the
  // first order outgrow `restart_nodes` nodes (about 5 MiB; the breadth-first order of max.v stays
  // below a quarter of it, the one of mem_ctrl.v goes far beyond within its first third of gates).
  std::vector<std::uint32_t> fallback{};
  std::uint64_t restart_nodes = std::uint64_t{1} << 18;
};

// Exact counting with decision diagrams: for every gate that is not reversible, how many
// assignments of the primary inputs (of this worker's share) make it see each combination of its
// input values, without enumerating them. Every output port of every node gets the diagram of its
// function over the inputs, node by node in `build_order` (depth-first from the outputs); a gate's
// counts are model counts (exact integers of any size) of its output, for AND, OR and XOR, or of
// the conjunctions of its inputs' diagrams. A port's diagram is dropped as soon as its last logic
// reader has been built, so few diagrams are alive at once; with up to 512 variables sifting
// reorders them while the diagrams grow. `run` drives it.
class engine {
 public:
  engine(const engine&) = delete;
  engine& operator=(const engine&) = delete;
  ~engine();

  const counting::outcome& result() const { return outcome_; }
  // Node n's combination counts; empty for nodes without counts (and before they are counted).
  std::span<const count_t> counts(operation::nid_t n) const { return counts_[n]; }
  // The most nodes the table held at the end of a gate.
  std::uint64_t peak_nodes() const { return peak_nodes_; }

  // `circuit`: sorted, constant node (if any) at 0, then inputs, logic and outputs; it must outlive
  // the engine. `levels`: the circuit's number of logic levels (shown in the summary). Throws
  // `counting::worker_out_of_range` for a worker number past the last share.
  engine(const operation::Circuit& circuit, input_orders orders, std::uint64_t levels,
         const counting::settings& config, std::ostream& out);

  // The phases, in the order `counting::run_phases` runs them.
  // Phase "building structures": the variables of the inputs and the run's summary lines.
  void build_structures();
  // Applies "-limit-memory" (`counting::limit_memory`) and sizes the node table to what is left of
  // the memory.
  void apply_limits();
  // Phase "simulation": the diagrams and counts gate by gate, with progress lines, the time checks
  // and the closing summary. Throws `diagrams_too_large` when the diagrams outgrow the memory.
  void count();
  // Writes the result files asked for; the count file only after a complete run.
  void write_results(const counting::result_files& files) const;
  // Phase "freeing memory": drops every diagram and closes the node table.
  void free_memory();

 private:
  // The diagram of one output port, its model count once a counting gate needed it, and how many
  // logic arcs still have to read it.
  struct port_state {
    diagram function;
    std::optional<count_t> models;
    operation::nid_t readers_left = 0;
  };

  void print_summary() const;
  // Every port without a diagram, with the number of logic arcs that read it, and no counts.
  void reset_ports();
  // Opens the node table for the variables of `orders_.variables` and builds the sources' diagrams.
  void open_diagrams();
  // Builds the gates in order until all are done or the time is up (true), or until the diagrams
  // alive outgrow the restart size while a fallback order is left (false).
  bool build_gates();
  // Whether the diagrams alive outgrew the restart size, while a fallback order is left; collects
  // the garbage to tell, each time the table's nodes in use have doubled since the last look.
  bool outgrew_first_order();
  // Drops every diagram and count and closes the table, for a start in the fallback order.
  void start_again_in_fallback_order(std::uint64_t gates_done);
  // The diagrams of the constant and input nodes: variables, or the worker's constants.
  void build_sources();
  // Builds node n's ports and, unless its gate is reversible, its counts.
  void build_gate(operation::nid_t n);
  // Drops the ports whose last logic reader was node n, and n's own unread ports.
  void release_reads(operation::nid_t n);
  const count_t& models_of(port_state& port);
  // After `done` gates: the progress line, when the "-print-every" period calls for it, at the first
  // and last gate, and otherwise at most once a second.
  void progress_line(std::uint64_t done);
  double seconds() const;

  const operation::Circuit& circuit_;
  input_orders orders_;
  std::uint64_t levels_;
  const counting::settings& config_;
  std::ostream& out_;
  std::uint32_t sel_bits_;
  std::uint32_t variables_;
  std::uint64_t max_nodes_ = 0;
  count_t all_;  // 2^variables: the assignments of this worker's share
  std::optional<diagram_session> session_;
  std::optional<model_counter> counter_;
  std::vector<std::vector<port_state>> ports_;  // per node position below transfer_count
  std::vector<std::vector<count_t>> counts_;    // per node position
  std::uint64_t peak_nodes_ = 0;
  std::uint64_t next_look_ = 0;  // nodes in use beyond which `outgrew_first_order` looks again
  counting::outcome outcome_;
  util::eta<double> eta_;
  double start_ = 0;
  double last_line_ = 0;
};

// Counts `circuit` with decision diagrams through every phase, each printing its banners and lines
// on `out`: "building structures", the memory limits, "simulation", the result files asked for,
// "freeing memory". `orders` and `levels` as the engine takes them. `inspect`, when given, sees
// the engine once its counts are complete, before they are freed. Throws what the engine and its
// phases throw.
counting::outcome run(const operation::Circuit& circuit, input_orders orders, std::uint64_t levels,
                      const counting::settings& config, const counting::result_files& files,
                      std::ostream& out = std::cout, const std::function<void(const engine&)>& inspect = {});

}  // namespace symbolic
