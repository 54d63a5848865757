#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "operation/circuit.hpp"
#include "operation/read/exception.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "support/circuit_invariants.hpp"
#include "support/failure.hpp"
#include "support/scratch_file.hpp"
#include "util/stream.hpp"

namespace fuzz {

// Reads `text` as a netlist of format `type` and takes the circuit through the phases that the
// programs run before they evaluate it: the topological sort, the removal of wires and the ranks.
// A malformed netlist must be refused with a ReadException; a netlist read must give a circuit
// that keeps its invariants in every phase. Anything else fails.
inline void read_netlist(std::string_view text, const std::string& type) {
  static scratch_file file("netlist." + type);
  operation::Circuit circuit;
  try {
    circuit = operation::read(file.write(text), type, util::null_ostr);
    check_invariants(circuit);
    operation::sort_topologically(circuit);
  } catch (const operation::ReadException&) {
    return;
  }
  check_invariants(circuit);
  check(circuit.sorted(), "not sorted after the topological sort");
  circuit.remove_wires();
  check_invariants(circuit);
  const std::vector<operation::nid_t> ranks = circuit.get_ranks();
  check(ranks.size() >= 4 && ranks.back() == circuit.size(), "malformed rank list");
  circuit.section_signals(ranks);
}

}  // namespace fuzz
