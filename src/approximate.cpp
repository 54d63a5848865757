// approximate: a quick estimate of the energy of a circuit without simulating it. Every node is
// charged the fixed approximate energy of its gate kind; the circuit's estimate is their sum.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "approximate/command_line.hpp"
#include "operation/circuit.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "util/argparse/base.hpp"
#include "util/entry.hpp"
#include "util/output_file.hpp"
#include "util/phase.hpp"
#include "util/resources.hpp"
#include "util/result_paths.hpp"
#include "util/string.hpp"
#include "util/vector.hpp"

namespace {

namespace fs = std::filesystem;
using params = util::argparse::params;
using operation::Circuit;
using operation::nid_t;

// Separates a phase's name from its time on the phase's end line.
constexpr std::string_view separator = " time = ";

// Reads the netlist and shows its node count.
Circuit read_netlist(const params& args) {
  const util::phase phase("reading file", separator);
  Circuit circuit = operation::read(args.get<fs::path>("input"), args.get_ref("-filetype"), std::cout);
  std::cout << "circuit size = " << circuit.size() << '\n';
  phase.end();
  return circuit;
}

void sort_circuit(Circuit& circuit) {
  const util::phase phase("topological sort", separator);
  operation::sort_topologically(circuit);
  phase.end();
}

void remove_wires(Circuit& circuit) {
  const util::phase phase("removing wires", separator);
  circuit.remove_wires();
  phase.end();
}

// The outcome of the estimation loop.
struct estimate {
  std::vector<std::uint8_t> energies_;  // per node, in index order
  std::uint64_t total_ = 0;             // the circuit's estimate
  double seconds_ = 0;                  // time the loop took
};

// Whether node `nid` of `count` nodes gets a progress line at the interval `every`: the first
// node, every multiple of the interval and every node of the last interval, so that the final line
// shows the total. Never when `every` is 0.
bool shows_progress(nid_t nid, nid_t count, std::uint64_t every) {
  return every != 0 && (nid == 0 || count - nid <= every || nid % every == 0);
}

// Charges every node its gate kind's approximate energy, rewriting a progress line in place as
// it goes; `ranks` (of the sorted circuit) gives the rank the line shows.
estimate estimate_energies(const Circuit& circuit, const std::vector<nid_t>& ranks,
                           std::uint64_t print_every) {
  const util::phase phase("simulation", separator);
  estimate result;
  result.energies_.resize(circuit.size());
  std::size_t rank = 0;
  for (nid_t nid = 0; nid < circuit.size(); ++nid) {
    result.energies_[nid] = circuit.gate(nid).approximate_energy();
    result.total_ += result.energies_[nid];
    if (shows_progress(nid, circuit.size(), print_every)) {
      while (ranks[rank + 1] <= nid) ++rank;  // the last entry, the size, ends the walk
      std::cout << "\r\x1b[K" << nid + 1 << " / " << circuit.size() << "; node = " << circuit.name(nid)
                << "; gate = " << circuit.gate_name(nid) << "; rank = " << rank
                << "; energy = " << result.total_ << "; time = " << util::string::fromf(phase.elapsed(), 5)
                << std::flush;
    }
  }
  std::cout << "\n\n" << std::flush;
  result.seconds_ = phase.elapsed();
  return result;
}

// Writes the file named by `option`, when it was given: the line `header`, then what
// `write_rows` writes to the stream.
template <typename WriteRows>
void save_table(const params& args, const std::string& option, std::string_view header,
                WriteRows write_rows) {
  if (!args.is_set(option)) return;
  util::output_file file(args.get<fs::path>(option));
  file.stream() << header << '\n';
  write_rows(file.stream());
  file.commit();
}

// Writes the file named by `option`, when it was given: the single line `value`.
void save_value(const params& args, const std::string& option, const std::string& value) {
  if (args.is_set(option)) util::write_file(args.get<fs::path>(option), value + '\n');
}

// Writes every result file that was asked for, in a fixed order.
void save_results(const params& args, const Circuit& circuit, const std::vector<nid_t>& ranks,
                  const estimate& result) {
  save_table(args, "-o", "name,energy", [&](std::ostream& out) {
    for (nid_t nid = circuit.data_count(); nid < circuit.transfer_count(); ++nid)
      out << circuit.name(nid) << ',' << +result.energies_[nid] << '\n';
  });
  save_value(args, "-save-time", util::string::fromf(result.seconds_, 18));
  save_value(args, "-save-memory", std::to_string(util::rss::peak()));
  save_table(args, "-save-ranks", "name,rank", [&](std::ostream& out) {
    for (std::size_t rank = 0; rank + 2 < ranks.size(); ++rank)  // the last rank, the outputs, is left out
      for (nid_t nid = ranks[rank]; nid < ranks[rank + 1]; ++nid)
        out << circuit.name(nid) << ',' << rank << '\n';
  });
  save_value(args, "-save-energy", std::to_string(result.total_));
  save_table(args, "-save-entropy", "name,in-entropy,out-entropy", [&](std::ostream& out) {
    for (nid_t nid = 0; nid < circuit.size(); ++nid)
      out << circuit.name(nid) << ',' << +result.energies_[nid] << ",0\n";
  });
}

// Releases the estimates (the timed part), then the rank list and the circuit.
void free_memory(Circuit& circuit, std::vector<nid_t>& ranks, estimate& result) {
  const util::phase phase("freeing memory", separator);
  util::vector::real_clear(result.energies_);
  phase.end_last();
  util::vector::real_clear(ranks);
  circuit.free();
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("approximate", [&] {
    const params args = approximate::parse_args(argc, argv);
    const std::uint64_t print_every = args.get<std::uint64_t>("-print-every");
    util::check_result_paths(
        args, {"-o", "-save-time", "-save-memory", "-save-ranks", "-save-energy", "-save-entropy"});
    Circuit circuit = read_netlist(args);
    sort_circuit(circuit);
    remove_wires(circuit);
    std::vector<nid_t> ranks = circuit.get_ranks();
    estimate result = estimate_energies(circuit, ranks, print_every);
    save_results(args, circuit, ranks, result);
    free_memory(circuit, ranks, result);
    return util::exit_status::success;
  });
}
