#pragma once

#include <filesystem>

#include "operation/circuit.hpp"

// The reader of and-inverter graphs in the AIGER format (version 1.9, as ABC, Yosys and the
// benchmark suites write them), ASCII ("aag") or binary ("aig"): the combinational part, that is
// inputs, AND gates and outputs, with the symbol table and the comment section.
namespace operation {

// Reads the AIGER file `fname` into a circuit: the fixed node "0"; one input per AIGER input, named
// by its symbol ("i0 a[0]") or else "i" and its position ("i0", "i1", …); one AND node per AND gate,
// named "n" and its variable index (the gate of literal 14 is "n7"), in file order; one WIRE per
// output reading its literal, named by its symbol or else "o" and its position; and the output
// markers "o-0", "o-1", … Throws ReadException "Line N: …" for malformed files, and refuses latches and
// the bad-state, constraint, justice and fairness sections, which make a circuit sequential.
Circuit read_aiger(const std::filesystem::path& fname);

}  // namespace operation
