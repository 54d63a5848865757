#pragma once

#include <cstdint>
#include <limits>
#include <tuple>

class bitset;

// Basic types shared by all circuit code, the readers and the programs.
namespace operation {

using gid_t = std::uint32_t;  // gate kind id (0 to 14)
using nid_t = std::uint32_t;  // node index within a circuit, and node counts
using pos_t = std::uint8_t;   // port index and count, and a gate's small per-kind numbers
using nns_t = std::uint8_t;   // length of a node name
using cmb_t = std::uint64_t;  // a count of input patterns
using siz_t = std::uint64_t;  // sizes and line counters

// A reference to output port `port` of node `node`; `inverted` complements the value seen.
using arc_t = std::tuple<nid_t, pos_t, bool>;

// The value table of one output port: bit j is the port's value under pattern j of a batch.
using tab_t = bitset;

// A gate's evaluator: (nid, arcs, tables, max_combs, combs, same, watch_changes).
using fun_t = void (*)(nid_t, const arc_t*, tab_t***, const cmb_t&, cmb_t*, bool**, bool);

namespace limits {
inline constexpr nid_t max_nodes = std::numeric_limits<nid_t>::max();      // 4294967295
inline constexpr nns_t max_node_name = std::numeric_limits<nns_t>::max();  // 255
}  // namespace limits

}  // namespace operation
