#include "bdd/engine.hpp"

#include <algorithm>
#include <new>
#include <ostream>
#include <utility>

#include "bdd/build_order.hpp"
#include "bdd/gate_counts.hpp"
#include "counting/input_split.hpp"
#include "counting/memory.hpp"
#include "simulation/progress.hpp"
#include "util/clock.hpp"
#include "util/error.hpp"
#include "util/output_file.hpp"
#include "util/phase.hpp"
#include "util/resources.hpp"
#include "util/string.hpp"

namespace symbolic {

using operation::nid_t;
using util::string::concat;
using util::string::fromf;

namespace {

constexpr std::string_view separator = ": time = ";

// What one node of the table costs with its share of the operation caches, the count walk's index
// and the room the table needs while it doubles.
constexpr std::uint64_t bytes_per_node = 64;

// Seconds between two progress lines that the "-print-every" period does not call for.
constexpr double line_interval = 1.0;

}  // namespace

diagrams_too_large::diagrams_too_large(std::string_view reason, std::string_view gate,
                                       std::uint64_t gate_number, std::uint64_t gates)
    : util::resource_error(concat("The decision diagrams outgrew the memory at gate `", gate, "` (",
                                  gate_number, " of ", gates, "): ", reason,
                                  ". Count this circuit by enumeration ('-method enumerate', split among "
                                  "workers with '-sel-bits'), or estimate it by sampling ('-samples').")) {}

diagrams_too_large::~diagrams_too_large() = default;

engine::engine(const operation::Circuit& circuit, input_orders orders, std::uint64_t levels,
               const counting::settings& config, std::ostream& out)
    : circuit_(circuit),
      orders_(std::move(orders)),
      levels_(levels),
      config_(config),
      out_(out),
      sel_bits_(counting::worker_sel_bits(circuit.input_count(), config)),
      variables_(circuit.input_count() - sel_bits_) {
  all_ = 1;
  all_ <<= variables_;
  outcome_.max_gates = circuit.logic_count();
}

engine::~engine() = default;

void engine::build_structures() {
  const util::phase phase("building structures", separator, out_);
  out_ << '\n';
  reset_ports();
  print_summary();
  phase.end();
}

void engine::reset_ports() {
  ports_.assign(circuit_.transfer_count(), {});
  counts_.assign(circuit_.transfer_count(), {});
  for (nid_t n = 0; n < circuit_.transfer_count(); ++n) ports_[n].resize(circuit_.output_count(n));
  for (nid_t n = circuit_.data_count(); n < circuit_.transfer_count(); ++n)
    for (const auto& [source, port, inverted] : circuit_[n].inputs()) ++ports_[source][port].readers_left;
}

void engine::print_summary() const {
  simulation::print_circuit_summary(out_, circuit_, levels_);
  out_ << "variables = " << variables_ << "\n\n";
  if (sel_bits_ == 0) return;
  out_ << "sel bits (" << sel_bits_ << ") : ";
  for (std::uint32_t j = 0; j < sel_bits_; ++j) {
    const std::uint32_t input = orders_.split[circuit_.input_count() - sel_bits_ + j];
    out_ << circuit_.name(circuit_.fixed_count() + input) << " = " << counting::bit_of(config_.worker, j)
         << ' ';
  }
  out_ << "\n\n";
}

void engine::apply_limits() {
  counting::limit_memory(config_.memory_limit, out_);
  max_nodes_ = counting::left_in(counting::memory_room_now(config_.memory_limit)).bytes / bytes_per_node;
}

void engine::build_sources() {
  const nid_t fix_count = circuit_.fixed_count();
  if (fix_count != 0) ports_[0][0].function = diagram::constant(false);
  const nid_t inp_count = circuit_.input_count();
  std::vector<bool> is_sel(inp_count, false);
  for (std::uint32_t j = 0; j < sel_bits_; ++j) {
    const std::uint32_t input = orders_.split[inp_count - sel_bits_ + j];
    is_sel[input] = true;
    ports_[fix_count + input][0].function = diagram::constant(counting::bit_of(config_.worker, j));
  }
  std::uint32_t var = 0;
  for (const std::uint32_t input : orders_.variables)
    if (!is_sel[input]) ports_[fix_count + input][0].function = diagram::variable(var++);
}

const count_t& engine::models_of(port_state& port) {
  if (!port.models) port.models = counter_->count(port.function);
  return *port.models;
}

void engine::build_gate(nid_t n) {
  const operation::Node& node = circuit_[n];
  std::vector<gate_input> inputs;
  inputs.reserve(node.input_count());
  for (const auto& [source, port, inverted] : node.inputs())
    inputs.push_back({&ports_[source][port].function, nullptr, inverted});
  if (!node.reversible()) {
    std::size_t k = 0;
    for (const auto& [source, port, inverted] : node.inputs())
      inputs[k++].models = &models_of(ports_[source][port]);
  }
  if (!node.reversible() && counts_follow_from_output(node.gate())) {
    // One operation builds the output, and its model count (which its readers reuse) gives the counts.
    port_state& output = ports_[n][0];
    output.function = two_input_output(node.gate(), inputs);
    counts_[n] = counts_from_output(node.gate(), inputs, models_of(output), all_);
    return;
  }
  if (!node.reversible()) counts_[n] = combination_counts(inputs, all_, *counter_);
  // A port no logic node reads is dropped at once: a gate without counts need not build it.
  const auto read = [](const port_state& port) { return port.readers_left != 0; };
  if (node.reversible() && std::none_of(ports_[n].begin(), ports_[n].end(), read)) return;
  std::vector<diagram> outputs = output_diagrams(node.gate(), inputs);
  for (std::size_t p = 0; p < outputs.size(); ++p) ports_[n][p].function = std::move(outputs[p]);
}

void engine::release_reads(nid_t n) {
  const auto release = [](port_state& port) {
    port.function = diagram();
    port.models.reset();
  };
  for (const auto& [source, port, inverted] : circuit_[n].inputs())
    if (--ports_[source][port].readers_left == 0) release(ports_[source][port]);
  for (port_state& own : ports_[n])
    if (own.readers_left == 0) release(own);
}

double engine::seconds() const { return util::steady_seconds() - start_; }

void engine::open_diagrams() {
  // A table in proportion to the circuit, up to a million nodes (about 50 MiB with its caches).
  const std::uint64_t initial =
      std::clamp<std::uint64_t>(std::uint64_t{512} * circuit_.logic_count(), 1 << 16, 1 << 20);
  session_.emplace(variables_, table_size{initial, max_nodes_}, true);
  counter_.emplace(variables_);
  build_sources();
}

bool engine::build_gates() {
  const std::uint64_t gates = circuit_.logic_count();
  const std::vector<nid_t> order = build_order(circuit_);
  for (std::uint64_t gate_iter = 0; gate_iter < gates; ++gate_iter) {
    const nid_t n = order[gate_iter];
    try {
      build_gate(n);
    } catch (const diagrams_exhausted& error) {
      if (config_.print_every != 0) out_ << std::endl;
      throw diagrams_too_large(error.what(), circuit_.name(n), gate_iter + 1, gates);
    } catch (const std::bad_alloc&) {
      if (config_.print_every != 0) out_ << std::endl;
      throw diagrams_too_large("out of memory", circuit_.name(n), gate_iter + 1, gates);
    }
    release_reads(n);
    peak_nodes_ = std::max(peak_nodes_, session_->nodes_in_use());
    if (outgrew_first_order()) {
      start_again_in_fallback_order(gate_iter + 1);
      return false;
    }
    progress_line(gate_iter + 1);
    if (simulation::progress::time_is_up(seconds(), gate_iter + 1, config_.time_limit, config_.time_predict,
                                         [&] { return eta_.get(gate_iter + 1, gates); })) {
      outcome_.out_of_time = true;
      outcome_.gate_iter = gate_iter;
      return true;
    }
  }
  outcome_.batch_iter = 1;
  outcome_.gate_iter = gates;
  return true;
}

bool engine::outgrew_first_order() {
  const std::uint64_t restart = orders_.restart_nodes;
  if (orders_.fallback.empty() || session_->nodes_in_use() <= std::max(restart, next_look_)) return false;
  session_->collect_garbage();
  next_look_ = 2 * session_->nodes_kept_alive();
  return session_->nodes_kept_alive() > restart;
}

void engine::start_again_in_fallback_order(std::uint64_t gates_done) {
  if (config_.print_every != 0)
    out_ << concat("\nthe diagrams outgrew ", orders_.restart_nodes, " nodes at gate ", gates_done,
                   ": starting again in the fallback variable order\n")
         << std::flush;
  reset_ports();
  counter_.reset();
  session_.reset();
  orders_.variables = std::move(orders_.fallback);
  orders_.fallback.clear();
  eta_ = util::eta<double>(1, 0.0);
}

void engine::count() {
  start_ = util::steady_seconds();
  eta_ = util::eta<double>(1, 0.0);
  const util::phase phase("simulation", separator, out_);
  do open_diagrams();
  while (!build_gates());
  outcome_.time_elapsed = seconds();
  if (config_.print_every != 0)
    out_ << '\n'
         << "simulation: nodes = " << peak_nodes_
         << ", memory = " << simulation::bytes_text(util::rss::peak(), 5)
         << ", time = " << fromf(outcome_.time_elapsed, 5) << "s, status = " << outcome_.status() << "\n\n"
         << std::flush;
}

void engine::progress_line(std::uint64_t done) {
  if (config_.print_every == 0) return;
  const std::uint64_t gates = circuit_.logic_count();
  const double now = seconds();
  if (done != gates && done != 1 && done % config_.print_every != 0 && now - last_line_ < line_interval)
    return;
  last_line_ = now;
  out_ << concat("\r\x1b[K", done, " / ", gates, ": nodes = ", session_->nodes_in_use(),
                 ", memory = ", simulation::bytes_text(util::rss::current(), 3), ", time = ", fromf(now, 3),
                 "s, ETA = ", fromf(eta_.get(done, gates), 3), "s")
       << std::flush;
}

void engine::write_results(const counting::result_files& files) const {
  if (files.counts && !outcome_.out_of_time)
    util::write_file(*files.counts, counting::count_file_text(circuit_, [&](nid_t n) { return counts(n); }));
  counting::write_run_files(files, outcome_);
}

void engine::free_memory() {
  const util::phase phase("freeing memory", separator, out_);
  ports_.clear();
  counts_.clear();
  counter_.reset();
  session_.reset();
  phase.end_last();
}

counting::outcome run(const operation::Circuit& circuit, input_orders orders, std::uint64_t levels,
                      const counting::settings& config, const counting::result_files& files,
                      std::ostream& out, const std::function<void(const engine&)>& inspect) {
  engine diagrams(circuit, std::move(orders), levels, config, out);
  return counting::run_phases(diagrams, files, inspect);
}

}  // namespace symbolic
