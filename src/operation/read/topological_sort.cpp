#include "operation/read/topological_sort.hpp"

#include <stdexcept>
#include <vector>

#include "operation/read/exception.hpp"

namespace operation {

void sort_topologically(Circuit& circuit) {
  circuit.build_fanout_lists();
  const std::vector<nid_t> topology = circuit.topology_bfs();
  circuit.free_fanout_lists();
  // A breadth-first order names distinct nodes section by section, so the only order `reorder` can
  // refuse is one that drops a node something reads: a fault of the netlist.
  try {
    circuit.reorder(topology);
  } catch (const std::runtime_error& error) {
    throw ReadException(error.what());
  }
}

}  // namespace operation
