#pragma once

#include <span>
#include <vector>

#include "bdd/diagram.hpp"
#include "bdd/model_count.hpp"
#include "operation/gate.hpp"

namespace symbolic {

// One input of a gate: the diagram of the port its arc reads, that diagram's model count, and
// whether the arc inverts it.
struct gate_input {
  const diagram* function;
  const count_t* models;
  bool inverted;
};

// The diagrams of the gate's output ports, built from its truth table (the catalogue's output
// combinations) by splitting on the inputs in port order. Inverted arcs are folded into the table,
// so they cost no operation of their own.
std::vector<diagram> output_diagrams(operation::Gate gate, std::span<const gate_input> inputs);

// Whether the gate's combination counts follow from the model counts of its two inputs and of its
// one output (`counts_from_output`): so for AND, OR and XOR, whose output counts the assignments of
// one input pair with a weight of its own, but not for a gate that passes one input on.
bool counts_follow_from_output(operation::Gate gate);

// The output diagram of such a gate in one operation of the library, the arcs' inversions folded
// into the operator.
diagram two_input_output(operation::Gate gate, std::span<const gate_input> inputs);

// The 4 combination counts of such a gate, in combination order, from the model counts of its
// inputs and of its output `output_models`, out of `all` assignments: no conjunction is built.
std::vector<count_t> counts_from_output(operation::Gate gate, std::span<const gate_input> inputs,
                                        const count_t& output_models, const count_t& all);

// How many of the `all` assignments make the gate see each combination of its input values: 2^n
// counts in combination order (input 0 the most significant bit). Only the conjunctions of two or
// more inputs are built and counted (one for two inputs, four for three); the counts follow by
// inclusion and exclusion, and inversions by renumbering the combinations.
std::vector<count_t> combination_counts(std::span<const gate_input> inputs, const count_t& all,
                                        model_counter& counter);

}  // namespace symbolic
