#include "simulation/kept_tables.hpp"

#include <algorithm>
#include <bit>

namespace simulation {

using operation::nid_t;
using operation::pos_t;
using operation::gates::WIRE;

namespace {

// Per node, the var inputs it depends on, as bits of a 64-bit word: bit i for var input i (an
// enumerated run has at most 63; any beyond 63 share bit 63).
std::vector<std::uint64_t> var_dependence(const operation::Circuit& circuit,
                                          std::span<const std::uint32_t> var_nodes) {
  std::vector<std::uint64_t> depends(circuit.transfer_count(), 0);
  for (std::size_t i = 0; i < var_nodes.size(); ++i)
    depends[var_nodes[i]] = std::uint64_t{1} << std::min<std::size_t>(i, 63);
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

// A node's word with its bits in reverse order. Read as numbers, reversed words order the gates by
// how often their var inputs change: a gate's rate of change is at most its reversed word times
// 2^-64 in Gray-code order (twice that in counting order), and a gate's is at least its inputs'.
std::uint64_t reversed(std::uint64_t word) {
  word = (word >> 1 & 0x5555555555555555) | (word & 0x5555555555555555) << 1;
  word = (word >> 2 & 0x3333333333333333) | (word & 0x3333333333333333) << 2;
  word = (word >> 4 & 0x0F0F0F0F0F0F0F0F) | (word & 0x0F0F0F0F0F0F0F0F) << 4;
  word = (word >> 8 & 0x00FF00FF00FF00FF) | (word & 0x00FF00FF00FF00FF) << 8;
  word = (word >> 16 & 0x0000FFFF0000FFFF) | (word & 0x0000FFFF0000FFFF) << 16;
  return word >> 32 | word << 32;
}

bool computes_table(const operation::Circuit& circuit, nid_t n) { return circuit.gate(n) != WIRE; }

}  // namespace

kept_tables::kept_tables(const operation::Circuit& circuit) {
  cover_nothing(circuit);
  find_unstored_reads(circuit);
}

void kept_tables::cover_nothing(const operation::Circuit& circuit) {
  kept_.assign(circuit.transfer_count(), false);
  stored_.assign(circuit.transfer_count(), false);
  std::fill(kept_.begin(), kept_.begin() + circuit.data_count(), true);
  std::fill(stored_.begin(), stored_.begin() + circuit.data_count(), true);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) gates_ += computes_table(circuit, n);
}

void kept_tables::find_unstored_reads(const operation::Circuit& circuit) {
  all_stored_ = std::all_of(stored_.begin(), stored_.end(), [](bool stored) { return stored; });
  reads_unstored_.assign(circuit.transfer_count(), false);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    const auto inputs = circuit[n].inputs();
    reads_unstored_[n] =
        std::any_of(inputs.begin(), inputs.end(), [&](const operation::arc_t& arc) { return !stored_[arc.node]; });
  }
}

kept_tables::kept_tables(const operation::Circuit& circuit, const port_readers& ports,
                         std::span<const std::uint32_t> var_nodes, std::uint64_t budget) {
  cover_nothing(circuit);
  const std::vector<std::uint64_t> depends = var_dependence(circuit, var_nodes);
  const std::vector<bool> needed = needs_storing(circuit, depends);
  // The computing gates by their word, each with the tables it stores when covered.
  std::vector<std::pair<std::uint64_t, bool>> gates;
  gates.reserve(gates_);
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n)
    if (computes_table(circuit, n)) gates.emplace_back(reversed(depends[n]), needed[n]);
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
  if (count != 0 || gates.empty()) {
    const std::uint64_t highest = count == gates.size() ? ~std::uint64_t{0} : gates[count - 1].first;
    for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
      kept_[n] = reversed(depends[n]) <= highest;
      stored_[n] = kept_[n] && needed[n];
    }
    kept_gates_ = count;
    stored_tables_ = stored;
  }
  find_unstored_reads(circuit);
  count_uncovered_ports(circuit, ports, var_nodes);
}

void kept_tables::count_uncovered_ports(const operation::Circuit& circuit, const port_readers& ports,
                                        std::span<const std::uint32_t> var_nodes) {
  if (all()) return;
  // Every port's word, port by port (a recycling gate's copy of an input is reached by what
  // reaches that input only): the node words, a union over all ports, would count fewer unchanged.
  const std::uint64_t port_count = ports.ports_before(circuit.transfer_count());
  port_words_.assign(port_count, 0);
  port_uncovered_.assign(port_count, false);
  for (std::size_t i = 0; i < var_nodes.size(); ++i)
    port_words_[ports.index(var_nodes[i], 0)] = std::uint64_t{1} << std::min<std::size_t>(i, 63);
  std::vector<std::uint64_t> words;  // of the uncovered ports
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    const operation::Node& node = circuit[n];
    const auto word_of = [&](const operation::arc_t& arc) { return port_words_[ports.index(arc.node, arc.port)]; };
    std::uint64_t inputs = 0;
    for (const operation::arc_t& arc : node.inputs()) inputs |= word_of(arc);
    for (pos_t p = 0; p < node.output_count(); ++p) {
      const pos_t copied = node.gate().copied_input(p);
      const std::uint64_t port = ports.index(n, p);
      port_words_[port] = copied == operation::Gate::no_port ? inputs : word_of(node.get_input(copied));
      port_uncovered_[port] = !kept_[n];
      if (!kept_[n]) words.push_back(port_words_[port]);
    }
  }
  uncovered_ports_ = words.size();
  std::sort(words.begin(), words.end());
  const std::size_t vars = std::min<std::size_t>(var_nodes.size(), 64);
  unreached_when_one_.assign(vars, 0);
  unreached_when_first_.assign(vars, 0);
  for (std::size_t begin = 0, end = 0; begin < words.size(); begin = end) {
    while (end < words.size() && words[end] == words[begin]) ++end;
    for (std::size_t i = 0; i < vars; ++i) {
      const std::uint64_t first_vars = i == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << i) - 1;
      if ((words[begin] >> i & 1) == 0) unreached_when_one_[i] += end - begin;
      if ((words[begin] & first_vars) == 0) unreached_when_first_[i] += end - begin;
    }
  }
}

kept_tables::uncovered_ports kept_tables::ports_not_covered(std::uint64_t changed, std::uint64_t first,
                                                            std::uint64_t end) const {
  if (uncovered_ports_ == 0) return {};
  const std::size_t vars = unreached_when_one_.size();
  if (first == 0 && end == port_words_.size() && changed != 0) {
    const std::size_t lowest = std::countr_zero(changed), changes = std::popcount(changed);
    if (changes == 1 && lowest < vars) return {uncovered_ports_, unreached_when_one_[lowest]};
    if (lowest == 0 && changes <= vars && (changes == 64 || changed >> changes == 0))
      return {uncovered_ports_, unreached_when_first_[changes - 1]};
  }
  uncovered_ports ports;
  for (std::uint64_t port = first; port < end; ++port) {
    if (!port_uncovered_[port]) continue;
    ++ports.count;
    ports.unreached += (port_words_[port] & changed) == 0;
  }
  return ports;
}

}  // namespace simulation
