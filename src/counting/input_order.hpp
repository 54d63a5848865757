#pragma once

#include <iostream>
#include <string_view>
#include <vector>

#include "operation/circuit.hpp"

namespace counting {

// The orderings below sort input indices (k: the input at position fixed_count() + k of the sorted
// circuit) by a key, ascending. Inputs with equal keys keep their relative order, so every worker of
// a job, on any machine and with any build, arrives at the same order.

// How many constant, input and logic nodes each input reaches (itself included), by input index.
// The circuit must be sorted and `ranks` its rank list.
std::vector<operation::nid_t> reach_counts(const operation::Circuit& circ,
                                           const std::vector<operation::nid_t>& ranks);

// Sorts `order` by the inputs' reach counts.
void reach_sort(const operation::Circuit& circ, const std::vector<operation::nid_t>& ranks,
                std::vector<operation::nid_t>& order);

// Sorts `order` by the fan-out counts of the input nodes.
void fanout_sort(const operation::Circuit& circ, std::vector<operation::nid_t>& order);

// The input indices in the order in which a depth-first walk from the outputs (in position order,
// each node's inputs in port order) first reaches them; inputs no output reads come last, by
// index. Inputs that feed the same gates end up next to each other (the bits of two compared
// words interleave), which keeps decision diagrams small.
std::vector<operation::nid_t> depth_first_order(const operation::Circuit& circ);

// The input indices in the order of `depth_first_order`, except that each node's inputs are followed
// deepest first (the most logic levels below them; equal depths in port order): the inputs of a
// node's long chains come together, early, where the diagrams that combine them are built.
std::vector<operation::nid_t> deeper_first_order(const operation::Circuit& circ);

// The input indices in the order in which a breadth-first walk from all outputs at once, the last
// output first, reaches them: the inputs nearest to the outputs come first, and among inputs at
// the same distance those of later outputs first. The bits of words that meet in the same output
// bits interleave, the most significant first when outputs are listed from bit 0 up (as
// synthesis tools write them), the order in which comparators' diagrams stay smallest.
std::vector<operation::nid_t> breadth_first_order(const operation::Circuit& circ);

// The input indices in the order that `method` names: "no" (index order), "reach" (`reach_sort`, in
// the timed phase "finding inputs' reach" printed on `out`), "fanouts" (`fanout_sort`), "depth"
// (`depth_first_order`), "depth-level" (`deeper_first_order`) or "breadth" (`breadth_first_order`).
// Throws std::invalid_argument for any other method.
std::vector<operation::nid_t> order_inputs(const operation::Circuit& circ,
                                           const std::vector<operation::nid_t>& ranks,
                                           std::string_view method, std::ostream& out = std::cout);

}  // namespace counting
