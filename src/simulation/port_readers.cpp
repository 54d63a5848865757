#include "simulation/port_readers.hpp"

namespace simulation {

using operation::arc_t;
using operation::nid_t;

port_readers::port_readers(const operation::Circuit& circuit) {
  const nid_t tra_count = circuit.transfer_count();
  first_port_.assign(tra_count + 1, 0);
  for (nid_t n = 0; n < tra_count; ++n) first_port_[n + 1] = first_port_[n] + circuit.output_count(n);
  const std::uint64_t ports = first_port_[tra_count];

  // Counted first, then filled in position order, so each list comes out sorted; a reader that
  // reads a port twice follows itself and is kept once.
  arc_counts_.assign(ports, 0);
  std::vector<std::uint64_t> listed(ports, 0);
  std::vector<nid_t> last_reader(ports, tra_count);
  for (nid_t n = circuit.data_count(); n < tra_count; ++n)
    for (const arc_t& arc : circuit[n].inputs()) {
      const std::uint64_t port = index(arc.node, arc.port);
      ++arc_counts_[port];
      if (last_reader[port] != n) ++listed[port];
      last_reader[port] = n;
    }
  first_reader_.assign(ports + 1, 0);
  for (std::uint64_t port = 0; port < ports; ++port)
    first_reader_[port + 1] = first_reader_[port] + listed[port];
  readers_.resize(first_reader_[ports]);
  std::vector<std::uint64_t> next(first_reader_.begin(), first_reader_.end() - 1);
  last_reader.assign(ports, tra_count);
  for (nid_t n = circuit.data_count(); n < tra_count; ++n)
    for (const arc_t& arc : circuit[n].inputs()) {
      const std::uint64_t port = index(arc.node, arc.port);
      if (last_reader[port] != n) readers_[next[port]++] = n;
      last_reader[port] = n;
    }
}

}  // namespace simulation
