#include "bdd/build_order.hpp"

#include "operation/depth_first.hpp"

namespace symbolic {

using operation::nid_t;

std::vector<nid_t> build_order(const operation::Circuit& circuit) {
  std::vector<nid_t> order;
  order.reserve(circuit.logic_count());
  std::vector<bool> ordered(circuit.size(), false);
  const auto is_logic = [&](nid_t n) { return n >= circuit.data_count() && n < circuit.transfer_count(); };
  operation::walk_from_outputs(
      circuit, operation::deeper_inputs_first(circuit), [](nid_t) {},
      [&](nid_t n) {
        if (!is_logic(n)) return;
        order.push_back(n);
        ordered[n] = true;
      });
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n)
    if (!ordered[n]) order.push_back(n);
  return order;
}

}  // namespace symbolic
