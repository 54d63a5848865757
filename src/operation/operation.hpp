#pragma once

#include <cstdint>
#include <limits>

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
// Eight bytes: circuits hold an arc per input port of every node.
struct arc_t {
  nid_t node = 0;
  pos_t port = 0;
  bool inverted = false;

  friend bool operator==(const arc_t&, const arc_t&) = default;
};
static_assert(sizeof(arc_t) == 8);

// The value table of one output port: bit j is the port's value under pattern j of a batch.
using tab_t = bitset;

// One evaluation of node `node` for a batch of `max_combs` patterns: the value tables of every
// node (tables[node][port]), the arcs of the node's input ports, its 2^n combination counters
// (null: not counted) and the unchanged flags of every node (same[node][port]; null: no flags).
// `watch_changes` asks for an unchanged output to be detected by comparing values.
struct evaluation {
  nid_t node = 0;
  const arc_t* arcs = nullptr;
  tab_t*** tables = nullptr;
  cmb_t max_combs = 0;
  cmb_t* combs = nullptr;
  bool** same = nullptr;
  bool watch_changes = false;
};

// A gate's evaluator.
using fun_t = void (*)(const evaluation&);

namespace limits {
inline constexpr nid_t max_nodes = std::numeric_limits<nid_t>::max();      // 4294967295
inline constexpr nns_t max_node_name = std::numeric_limits<nns_t>::max();  // 255
}  // namespace limits

}  // namespace operation
