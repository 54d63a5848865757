#pragma once

#include "multiprecision.hpp"
#include "operation/gate.hpp"

// The Shannon entropy in bits, −Σ p·log2 p, of the distribution given by `combs`, whose counts sum
// to `total`. Each probability is formed as an exact fraction and rounded once; zero counts add
// nothing, so an all-zero distribution (total 0) has entropy 0.
mp_flt entropy(const combs_vector& combs, const mp_int& total);

// How much information one gate destroys, from the summed counts of its input combinations.
struct gate_information {
  mp_int total;            // the number of input vectors that reached the gate
  combs_vector out_combs;  // the counts of its output combinations
  mp_flt inp_ent;          // entropy of the input combinations, in bits
  mp_flt out_ent;          // entropy of the output combinations, in bits
  mp_flt energy;           // inp_ent − out_ent: the bits lost per input vector
};

// Folds `inp` (2^n counts, n = the gate's input count) through the gate's output map and
// measures both distributions.
gate_information measure_gate(operation::Gate gate, const combs_vector& inp);
