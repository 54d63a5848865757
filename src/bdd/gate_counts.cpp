#include "bdd/gate_counts.hpp"

#include <bit>
#include <cstdint>

namespace symbolic {

namespace {

// The bit of input k in a combination of n inputs.
unsigned input_bit(std::size_t k, std::size_t n) { return 1U << (n - 1 - k); }

// The combination bits of the inverted inputs.
unsigned inversion_mask(std::span<const gate_input> inputs) {
  unsigned mask = 0;
  for (std::size_t k = 0; k < inputs.size(); ++k)
    if (inputs[k].inverted) mask |= input_bit(k, inputs.size());
  return mask;
}

// Port `port` of the gate as a function of inputs k and onwards, inputs before k fixed to the
// bits of `fixed` (as the arcs deliver them, before inversion).
diagram port_function(operation::Gate gate, std::span<const gate_input> inputs, unsigned inverted,
                      unsigned port, std::size_t k, unsigned fixed) {
  const std::size_t n = inputs.size();
  if (k == n) {
    const unsigned output = gate.output_combination(fixed ^ inverted);
    return diagram::constant(((output >> (gate.output_count() - 1 - port)) & 1U) != 0);
  }
  const diagram high = port_function(gate, inputs, inverted, port, k + 1, fixed | input_bit(k, n));
  const diagram low = port_function(gate, inputs, inverted, port, k + 1, fixed);
  if (high == low) return high;
  const diagram& input = *inputs[k].function;
  if (high.root() == diagram::true_root && low.root() == diagram::false_root) return input;
  if (high.root() == diagram::false_root && low.root() == diagram::true_root) return negation(input);
  return choice(input, high, low);
}

// The gate's output for the combination (a, b) that it sees, as 0 or 1.
int output_of(operation::Gate gate, unsigned a, unsigned b) { return gate.output_combination(2 * a + b) & 1; }

// How the output's count weighs the assignments under which the gate sees (1, 1), once the counts of
// the other combinations are written with it and the inputs' counts: g(0,0) - g(0,1) - g(1,0) + g(1,1).
int weight_of_both(operation::Gate gate) {
  return output_of(gate, 0, 0) - output_of(gate, 0, 1) - output_of(gate, 1, 0) + output_of(gate, 1, 1);
}

}  // namespace

bool counts_follow_from_output(operation::Gate gate) {
  return gate.input_count() == 2 && gate.output_count() == 1 && weight_of_both(gate) != 0;
}

diagram two_input_output(operation::Gate gate, std::span<const gate_input> inputs) {
  unsigned truth_table = 0;  // over the values the arcs deliver, before their inversion
  for (unsigned a = 0; a < 2; ++a)
    for (unsigned b = 0; b < 2; ++b)
      truth_table |= static_cast<unsigned>(output_of(gate, a ^ inputs[0].inverted, b ^ inputs[1].inverted))
                     << (2 * a + b);
  return combination(*inputs[0].function, *inputs[1].function, truth_table);
}

std::vector<count_t> counts_from_output(operation::Gate gate, std::span<const gate_input> inputs,
                                        const count_t& output_models, const count_t& all) {
  // x, y: how many assignments make the gate see 1 on input 0 and on input 1.
  const count_t x = inputs[0].inverted ? count_t(all - *inputs[0].models) : *inputs[0].models;
  const count_t y = inputs[1].inverted ? count_t(all - *inputs[1].models) : *inputs[1].models;
  // With z the count of (1, 1), the others are x - z, y - z and all - x - y + z, and the output
  // counts g(0,0)(all - x - y + z) + g(0,1)(y - z) + g(1,0)(x - z) + g(1,1) z.
  count_t rest = output_models;
  rest -= output_of(gate, 0, 0) * count_t(all - x - y);
  rest -= output_of(gate, 0, 1) * y;
  rest -= output_of(gate, 1, 0) * x;
  const count_t both = rest / weight_of_both(gate);
  return {all - x - y + both, y - both, x - both, both};
}

std::vector<diagram> output_diagrams(operation::Gate gate, std::span<const gate_input> inputs) {
  const unsigned inverted = inversion_mask(inputs);
  std::vector<diagram> ports;
  ports.reserve(gate.output_count());
  for (unsigned port = 0; port < gate.output_count(); ++port)
    ports.push_back(port_function(gate, inputs, inverted, port, 0, 0));
  return ports;
}

std::vector<count_t> combination_counts(std::span<const gate_input> inputs, const count_t& all,
                                        model_counter& counter) {
  const std::size_t n = inputs.size();
  const unsigned combinations = 1U << n;
  // both[s]: the assignments under which every input of set s (in combination bits) is 1, before
  // inversion. A set's conjunction extends the one of the set without its lowest bit, built before.
  std::vector<count_t> both(combinations);
  std::vector<diagram> conjunctions(combinations);
  both[0] = all;
  for (unsigned set = 1; set < combinations; ++set) {
    const unsigned lowest = set & (0U - set);
    const std::size_t k = n - 1 - static_cast<std::size_t>(std::countr_zero(lowest));
    const unsigned rest = set ^ lowest;
    if (rest == 0) {
      both[set] = *inputs[k].models;
      conjunctions[set] = *inputs[k].function;
      continue;
    }
    conjunctions[set] = conjunction(conjunctions[rest], *inputs[k].function);
    both[set] = counter.count(conjunctions[set]);
  }
  // Inclusion and exclusion: exactly the inputs of c are 1 when the sets above c, with signs.
  const unsigned inverted = inversion_mask(inputs);
  std::vector<count_t> counts(combinations);
  for (unsigned c = 0; c < combinations; ++c) {
    count_t exact = 0;
    for (unsigned set = c; set < combinations; set = (set + 1) | c) {
      if (std::popcount(set ^ c) % 2 == 0) {
        exact += both[set];
      } else {
        exact -= both[set];
      }
    }
    counts[c ^ inverted] = exact;
  }
  return counts;
}

}  // namespace symbolic
