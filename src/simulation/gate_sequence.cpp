#include "simulation/gate_sequence.hpp"

namespace simulation {

using operation::nid_t;

gate_sequence::gate_sequence(const operation::Circuit& circuit) : first_(circuit.data_count()) {
  const nid_t logic = circuit.transfer_count() - first_;
  gates_.reserve(logic);
  first_arc_.reserve(logic + 1);
  first_arc_.push_back(0);
  for (nid_t n = first_; n < circuit.transfer_count(); ++n) {
    gates_.push_back(circuit.gate(n));
    for (const operation::arc_t& arc : circuit[n].inputs()) arcs_.push_back(arc);
    first_arc_.push_back(arcs_.size());
  }
}

}  // namespace simulation
