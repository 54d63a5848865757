#include "counting/count.hpp"

#include <string>

#include "bdd/engine.hpp"
#include "counting/input_order.hpp"
#include "counting/input_split.hpp"
#include "simulation/engine.hpp"
#include "simulation/use_bits_choice.hpp"

namespace counting {

using operation::nid_t;

namespace {

outcome enumerate(const operation::Circuit& circuit, const std::vector<nid_t>& ranks, settings config,
                  const result_files& files, std::ostream& out, std::ostream& err) {
  // A sample must not depend on the machine: with "-samples", "-use-bits auto" keeps the sampled
  // runs' default.
  if (config.choose_use_bits && !config.sampling) {
    simulation::auto_use_bits(circuit, config);
  } else if (!config.sampling) {
    simulation::advise_use_bits(circuit, config, err);
  }
  std::vector<nid_t> order = order_inputs(circuit, ranks, config.input_sort.value_or("reach"), out);
  return simulation::run(circuit, std::move(order), level_count(ranks), config, files, out);
}

outcome count_symbolically(const operation::Circuit& circuit, const std::vector<nid_t>& ranks,
                           const settings& config, const result_files& files, std::ostream& out) {
  symbolic::input_orders orders;
  if (config.sel_bits != 0 || config.input_sort)
    orders.split = order_inputs(circuit, ranks, config.input_sort.value_or("reach"), out);
  orders.variables = config.input_sort ? orders.split : breadth_first_order(circuit);
  if (!config.input_sort) orders.fallback = deeper_first_order(circuit);
  return symbolic::run(circuit, std::move(orders), level_count(ranks), config, files, out);
}

}  // namespace

void check_split(nid_t inputs, const settings& config) {
  if (config.method == method::bdd) {
    worker_sel_bits(inputs, config);
  } else if (!config.choose_use_bits || config.sampling) {
    split_inputs(inputs, config);
  }
}

outcome count(const operation::Circuit& circuit, const std::vector<nid_t>& ranks, settings config,
              const result_files& files, std::ostream& out, std::ostream& err) {
  if (config.method == method::bdd) return count_symbolically(circuit, ranks, config, files, out);
  return enumerate(circuit, ranks, std::move(config), files, out, err);
}

std::uint64_t level_count(const std::vector<nid_t>& ranks) { return ranks.size() - 3; }

}  // namespace counting
