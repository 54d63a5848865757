#include "operation/read/sort.hpp"

#include <stdexcept>
#include <vector>

#include "operation/read/exception.hpp"

namespace operation {

void sort_topologically(Circuit& circuit) {
  circuit.build_fanout_lists();
  const std::vector<nid_t> topology = circuit.topology_bfs();
  circuit.free_fanout_lists();
  try {
    circuit.reorder(topology);
  } catch (const std::runtime_error& error) {
    // A breadth-first order lists distinct nodes in section order, so the only order `reorder`
    // can refuse is one that drops a node still read: a fault of the netlist.
    throw ReadException(error.what());
  }
}

}  // namespace operation
