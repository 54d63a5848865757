#include "entropy.hpp"

#include <cstdint>

mp_flt entropy(const combs_vector& combs, const mp_int& total) {
  mp_flt result = 0;
  for (const mp_int& count : combs) {
    if (count.is_zero()) {
      continue;
    }
    const mp_flt prob(mp_rat(count, total));  // exact fraction, rounded once
    const mp_flt log_prob = log2(prob);
    const mp_flt term = prob * log_prob;
    result -= term;
  }
  return result;
}

gate_information measure_gate(operation::Gate gate, const combs_vector& inp) {
  gate_information info;
  for (const mp_int& count : inp) {
    info.total += count;
  }
  info.out_combs.assign(std::uint64_t{1} << gate.output_count(), mp_int(0));
  gate(inp, info.out_combs);
  info.inp_ent = entropy(inp, info.total);
  info.out_ent = entropy(info.out_combs, info.total);
  info.energy = info.inp_ent - info.out_ent;
  return info;
}
