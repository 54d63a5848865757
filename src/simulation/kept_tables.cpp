#include "simulation/kept_tables.hpp"

#include <algorithm>

#include "simulation/table_memory.hpp"

namespace simulation {

using operation::nid_t;
using operation::gates::WIRE;

namespace {

// Per node, the var inputs it depends on, as bits of a 64-bit word: var input i (at most 63 of
// them in an enumerated run) is bit 63 - i. Read as numbers, these words order the gates by how
// often their var inputs change: a gate's rate of change is at most its word times 2^-64 in
// Gray-code order (twice that in counting order), and a gate's word is at least its inputs'.
std::vector<std::uint64_t> var_dependence(const operation::Circuit& circuit,
                                          std::span<const std::uint32_t> var_nodes) {
  std::vector<std::uint64_t> depends(circuit.transfer_count(), 0);
  for (std::size_t i = 0; i < var_nodes.size(); ++i) depends[var_nodes[i]] = std::uint64_t{1} << (63 - i);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n)
    for (const operation::arc_t& arc : circuit[n].inputs()) depends[n] |= depends[arc.node];
  return depends;
}

// Per node, whether its table must stay between batches when the cache covers it: when it depends
// on a var input (it is evaluated again, and compares), or when a gate that does reads it, or when
// no gate reads it (nothing would release it).
std::vector<bool> needs_storing(const operation::Circuit& circuit, const std::vector<std::uint64_t>& depends) {
  std::vector<bool> needed(circuit.transfer_count(), false), read(circuit.transfer_count(), false);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    if (depends[n] != 0) needed[n] = true;
    for (const operation::arc_t& arc : circuit[n].inputs()) {
      read[arc.node] = true;
      if (depends[n] != 0) needed[arc.node] = true;
    }
  }
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) needed[n] = needed[n] || !read[n];
  return needed;
}

bool computes_table(const operation::Circuit& circuit, nid_t n) { return circuit.gate(n) != WIRE; }

}  // namespace

kept_tables::kept_tables(const operation::Circuit& circuit)
    : kept_(circuit.transfer_count(), false), stored_(circuit.transfer_count(), false) {
  std::fill(kept_.begin(), kept_.begin() + circuit.data_count(), true);
  std::fill(stored_.begin(), stored_.begin() + circuit.data_count(), true);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) gates_ += computes_table(circuit, n);
}

kept_tables::kept_tables(const operation::Circuit& circuit, std::span<const std::uint32_t> var_nodes,
                         std::uint64_t budget)
    : kept_tables(circuit) {
  const std::vector<std::uint64_t> depends = var_dependence(circuit, var_nodes);
  const std::vector<bool> needed = needs_storing(circuit, depends);
  // The computing gates by their word, each with the tables it stores when covered.
  std::vector<std::pair<std::uint64_t, bool>> gates;
  gates.reserve(gates_);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n)
    if (computes_table(circuit, n)) gates.emplace_back(depends[n], needed[n]);
  std::sort(gates.begin(), gates.end());
  // Cover the gates below a bound on the word, the highest whose stored tables fit in the budget:
  // gates with equal words stay together, so that every covered gate's inputs are covered.
  std::uint64_t count = 0, stored = 0;
  for (std::uint64_t end = 0, tables = 0; end < gates.size();) {
    const std::uint64_t word = gates[end].first;
    for (; end < gates.size() && gates[end].first == word; ++end) tables += gates[end].second;
    if (tables > budget) break;
    count = end;
    stored = tables;
  }
  if (count == 0 && !gates.empty()) return;
  const std::uint64_t highest = count == gates.size() ? ~std::uint64_t{0} : gates[count - 1].first;
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    kept_[n] = depends[n] <= highest;
    stored_[n] = kept_[n] && needed[n];
  }
  kept_gates_ = count;
  stored_tables_ = stored;
}

std::uint64_t kept_table_budget(std::uint64_t uncached, std::uint32_t use_bits, std::uint64_t cache_bytes) {
  return std::max(uncached, cache_bytes / table_bytes(use_bits));
}

}  // namespace simulation
