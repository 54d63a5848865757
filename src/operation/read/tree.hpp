#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "operation/circuit.hpp"
#include "operation/gate.hpp"
#include "operation/operation.hpp"

// The reader of tree netlists: one line per level, each token "name=GATE@refs#comment" driving, through
// its output references, numbered input slots of the next line.
namespace operation {

// A table with one row per line of a tree netlist.
template <typename T>
using multi = std::vector<std::vector<T>>;

// Reads the tree netlist in `fname` into a circuit: the fixed node "0", then one node per token
// other than a wire ("W") or a constant ("0"), line by line and in token order; the circuit is
// sorted. Throws ReadException (with the 1-based line number) when a line breaks the format's
// constraints, ReadException "File holds no nodes." when no token makes a node (an empty file) and
// "Could not read the file." on a read error,
// and std::runtime_error "Unknown gate `NAME`." for an unknown gate name.
Circuit read_tree(const std::filesystem::path& fname);

// Reads the tokens of every line of `fname`: their names, gates, referenced slot numbers and the
// inversion parity of every reference; per line the number of references (`fanouts`), and in
// `nod_count` the number of nodes the circuit will hold. Checks nothing but the gate names.
void parse_tree(const std::filesystem::path& fname, multi<std::string>& nod_names, multi<Gate>& nod_gates,
                multi<std::vector<std::uint32_t>>& nod_offs, multi<std::vector<bool>>& nod_invs,
                std::vector<std::uint32_t>& fanouts, nid_t& nod_count);

}  // namespace operation
