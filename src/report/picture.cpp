#include "report/picture.hpp"

#include <algorithm>
#include <map>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "report/file_error.hpp"

namespace report {

using operation::Circuit;
using operation::nid_t;

namespace {

// The logic level of every node: 0 for constants and inputs, 1 to L for logic nodes (the ranks
// fullsim computes), 0 for outputs.
std::vector<std::uint64_t> levels_of(const std::vector<nid_t>& ranks, nid_t size) {
  std::vector<std::uint64_t> level(size, 0);
  for (std::size_t k = 1; k + 2 < ranks.size(); ++k)
    for (nid_t n = ranks[k]; n < ranks[k + 1]; ++n) level[n] = k;
  return level;
}

std::vector<kind_share> kinds_of(const Circuit& circuit, const std::vector<nid_t>& node_of,
                                 const results& found) {
  std::map<std::string_view, kind_share> kinds;
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    kind_share& kind = kinds[circuit.gate_name(n)];
    kind.kind = circuit.gate_name(n);
    ++kind.gates;
    kind.estimate += circuit.gate(n).approximate_energy();
  }
  for (std::size_t r = 0; r < found.gates.size(); ++r)
    kinds[circuit.gate_name(node_of[r])].bits += found.gates[r].energy_bits;
  std::vector<kind_share> sorted;
  for (auto& [name, kind] : kinds) sorted.push_back(std::move(kind));
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const kind_share& a, const kind_share& b) { return a.bits > b.bits; });
  return sorted;
}

std::vector<histogram_bin> histogram_of(const results& found) {
  if (found.gates.empty()) return {};
  const auto [low, high] = std::minmax_element(
      found.gates.begin(), found.gates.end(),
      [](const gate_result& a, const gate_result& b) { return a.energy_bits < b.energy_bits; });
  const double from = std::min(0.0, low->energy_bits), to = high->energy_bits;
  const std::size_t count = to > from ? std::min(histogram_bins, found.gates.size()) : 1;
  const double width = to > from ? (to - from) / static_cast<double>(count) : 1;
  std::vector<histogram_bin> bins(count);
  for (std::size_t b = 0; b < count; ++b)
    bins[b] = {from + width * static_cast<double>(b), from + width * static_cast<double>(b + 1), 0};
  for (const gate_result& gate : found.gates) {
    const auto b = static_cast<std::size_t>((gate.energy_bits - from) / width);
    ++bins[std::min(b, count - 1)].gates;
  }
  return bins;
}

// The gates' indices, costliest first (ties in file order).
std::vector<std::size_t> by_cost(const results& found) {
  std::vector<std::size_t> order(found.gates.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return found.gates[a].energy_bits > found.gates[b].energy_bits;
  });
  return order;
}

void add_cost_shares(picture& drawn, const std::vector<double>& running) {
  const std::uint64_t count = running.size();
  const double total = count == 0 ? 0 : running.back();
  for (const unsigned percent : {1u, 10u, 50u}) {
    const std::uint64_t gates = std::max<std::uint64_t>(1, (count * percent + 99) / 100);
    if (gates > count) continue;
    drawn.concentrations.push_back({percent, gates, total > 0 ? running[gates - 1] / total : 0});
  }
  const std::uint64_t step = std::max<std::uint64_t>(1, (count + cumulative_points - 1) / cumulative_points);
  for (std::uint64_t gates = step; gates < count + step; gates += step) {
    const std::uint64_t taken = std::min(gates, count);
    drawn.cumulative.push_back({taken, total > 0 ? running[taken - 1] / total : 0});
  }
}

}  // namespace

picture draw_picture(const Circuit& circuit, const results& found, const std::filesystem::path& energy_file) {
  picture drawn;
  const std::vector<nid_t> ranks = circuit.get_ranks();
  drawn.size = {circuit.size(), circuit.input_count(), circuit.output_count(), circuit.logic_count(),
                ranks.size() - 3};
  drawn.total_bits = std::strtod(found.total.c_str(), nullptr);
  for (nid_t n = 0; n < circuit.size(); ++n) drawn.estimate += circuit.gate(n).approximate_energy();

  std::unordered_map<std::string_view, nid_t> logic_node;
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n)
    logic_node.emplace(circuit.name(n), n);
  std::vector<nid_t> node_of(found.gates.size());
  for (std::size_t r = 0; r < found.gates.size(); ++r) {
    const auto it = logic_node.find(found.gates[r].name);
    if (it == logic_node.end())
      throw file_error(energy_file, r + 2,
                       "The gate `" + found.gates[r].name +
                           "` is no logic node of the netlist: the results are " + "not of this netlist.");
    node_of[r] = it->second;
  }

  drawn.kinds = kinds_of(circuit, node_of, found);
  const std::vector<std::uint64_t> level = levels_of(ranks, circuit.size());
  drawn.levels.resize(drawn.size.levels);
  for (std::uint64_t k = 0; k < drawn.size.levels; ++k) drawn.levels[k].level = k + 1;
  for (std::size_t r = 0; r < found.gates.size(); ++r) {
    level_share& share = drawn.levels[level[node_of[r]] - 1];
    ++share.gates;
    share.bits += found.gates[r].energy_bits;
  }
  drawn.histogram = histogram_of(found);

  const std::vector<std::size_t> order = by_cost(found);
  std::vector<double> running;
  for (const std::size_t r : order)
    running.push_back((running.empty() ? 0 : running.back()) + found.gates[r].energy_bits);
  add_cost_shares(drawn, running);
  for (std::size_t i = 0; i < std::min(order.size(), costliest_shown); ++i) {
    const nid_t n = node_of[order[i]];
    drawn.costliest.push_back({&found.gates[order[i]], std::string(circuit.gate_name(n)), level[n]});
  }
  return drawn;
}

}  // namespace report
