#include "simulation/table_memory.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/resources.hpp"
#include "util/string.hpp"
#include "util/unit.hpp"

namespace simulation {

using operation::arc_t;
using operation::Circuit;
using operation::nid_t;
using operation::pos_t;
using operation::gates::WIRE;

namespace {

// Where the storage seen by each logic output port comes from: the node that computed it, or
// `none` for a constant or input table. A wire passes its input's storage on, and a recycling
// gate its inputs' on the ports that copy them; every other port is computed.
class storage_roots {
 public:
  static constexpr nid_t none = ~nid_t{0};

  explicit storage_roots(const Circuit& circuit) : first_port_(circuit.transfer_count() + 1, 0) {
    const nid_t tra_count = circuit.transfer_count();
    for (nid_t n = 0; n < tra_count; ++n) first_port_[n + 1] = first_port_[n] + circuit.output_count(n);
    roots_.assign(first_port_[tra_count], none);
    for (nid_t n = circuit.data_count(); n < tra_count; ++n) {
      const operation::Node& node = circuit[n];
      for (pos_t p = 0; p < node.output_count(); ++p) roots_[first_port_[n] + p] = root_of_port(node, n, p);
    }
  }

  nid_t root(nid_t n, pos_t p) const { return roots_[index(n, p)]; }
  std::uint64_t index(nid_t n, pos_t p) const { return first_port_[n] + p; }
  std::uint64_t port_count() const { return roots_.size(); }

 private:
  nid_t root_of_arc(const arc_t& arc) const { return root(arc.node, arc.port); }

  nid_t root_of_port(const operation::Node& node, nid_t n, pos_t p) const {
    const pos_t copied = node.gate().copied_input(p);
    return copied == operation::Gate::no_port ? n : root_of_arc(node.get_input(copied));
  }

  std::vector<std::uint64_t> first_port_;
  std::vector<nid_t> roots_;
};

// With the cache every table persists: one storage per computing gate (all but wires). A gate
// overwrites its storage in place unless a wire or a recycling port of another node shares it;
// then the new storage exists beside the old one until that holder is evaluated again.
std::uint64_t cached_peak(const Circuit& circuit) {
  const storage_roots roots(circuit);
  std::vector<bool> shared(circuit.transfer_count(), false);
  std::uint64_t count = 0;
  for (nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    count += circuit.gate(n) != WIRE;
    for (pos_t p = 0; p < circuit.output_count(n); ++p) {
      const nid_t root = roots.root(n, p);
      if (root != storage_roots::none && root != n) shared[root] = true;
    }
  }
  return count + static_cast<std::uint64_t>(std::count(shared.begin(), shared.end(), true));
}

// Without the cache: a handle is released after its last logic reader; a handle that no logic node
// reads keeps its storage into the next batch, until its own node replaces it there.
std::uint64_t uncached_peak(const Circuit& circuit) {
  const nid_t dat_count = circuit.data_count(), tra_count = circuit.transfer_count();
  const storage_roots roots(circuit);
  constexpr nid_t never = ~nid_t{0};
  std::vector<nid_t> last_reader(roots.port_count(), never);
  for (nid_t n = dat_count; n < tra_count; ++n)
    for (const arc_t& arc : circuit[n].inputs())
      if (arc.node >= dat_count) last_reader[roots.index(arc.node, arc.port)] = n;

  // Per computed storage: the last release of a handle on it within the batch, and the last node
  // (in the next batch) that replaces a handle kept across batches.
  std::vector<nid_t> released(tra_count, 0), carried(tra_count, never);
  for (nid_t n = dat_count; n < tra_count; ++n)
    for (pos_t p = 0; p < circuit.output_count(n); ++p) {
      const nid_t root = roots.root(n, p);
      if (root == storage_roots::none) continue;
      const nid_t reader = last_reader[roots.index(n, p)];
      if (reader == never) {
        carried[root] = carried[root] == never ? n : std::max(carried[root], n);
      } else {
        released[root] = std::max(released[root], reader);
      }
    }

  // Alive counts over the positions of the batch, as differences.
  std::vector<std::int64_t> change(tra_count + 1, 0);
  const auto alive = [&](nid_t from, nid_t to) {  // inclusive
    ++change[from];
    --change[to + 1];
  };
  for (nid_t c = dat_count; c < tra_count; ++c) {
    if (circuit.gate(c) == WIRE) continue;
    if (carried[c] == never) {
      alive(c, std::max(c, released[c]));
    } else if (carried[c] == c) {
      alive(dat_count, tra_count - 1);  // its node keeps it and overwrites it in place
    } else {
      alive(dat_count, carried[c]);  // last batch's, until its last holder is replaced
      alive(c, tra_count - 1);
    }
  }
  std::int64_t current = 0, peak = 0;
  for (nid_t n = dat_count; n < tra_count; ++n) peak = std::max(peak, current += change[n]);
  return static_cast<std::uint64_t>(peak);
}

std::string bytes_text(std::uint64_t bytes) {
  const auto [value, symbol, name] = util::unit::binary(bytes);
  return util::string::concat(util::string::fromf(value, 3), " ", symbol, "B");
}

// Saturating product: estimates past 2^64 bytes only need to compare as too large.
std::uint64_t times(std::uint64_t count, std::uint64_t bytes) {
  return count != 0 && bytes > ~std::uint64_t{0} / count ? ~std::uint64_t{0} : count * bytes;
}

}  // namespace

std::uint64_t logic_tables_alive(const Circuit& circuit, bool use_cache) {
  return use_cache ? cached_peak(circuit) : uncached_peak(circuit);
}

std::uint64_t kept_table_budget(std::uint64_t uncached, std::uint32_t use_bits, std::uint64_t cache_bytes) {
  return std::max((uncached + 1) / 2, cache_bytes / table_bytes(use_bits));
}

std::uint64_t cached_tables_bound(std::uint64_t cached, std::uint64_t uncached, std::uint32_t use_bits,
                                  std::uint64_t cache_bytes) {
  const std::uint64_t budget = kept_table_budget(uncached, use_bits, cache_bytes);
  return cached <= budget ? cached : std::min(cached, budget + uncached);
}

std::uint64_t table_bytes(std::uint32_t use_bits) {
  constexpr std::uint64_t record = 64;  // the shared record and the allocator's bookkeeping
  const std::uint64_t words = use_bits <= 6 ? 1 : std::uint64_t{1} << (use_bits - 6);
  return std::max<std::uint64_t>(words * 8, 64) + record;
}

namespace {

// The bytes of `logic_tables` tables, the use inputs' and the zero table, of 2^use_bits bits each.
std::uint64_t tables_need(std::uint64_t logic_tables, std::uint32_t use_bits) {
  return times(logic_tables + use_bits + 1, table_bytes(use_bits));
}

}  // namespace

bool tables_fit(std::uint64_t logic_tables, std::uint32_t use_bits, const counting::memory_room& room) {
  return tables_need(logic_tables, use_bits) <= counting::left_in(room).bytes;
}

void check_table_memory(std::uint64_t logic_tables, std::uint32_t use_bits,
                        const counting::memory_room& room) {
  if (tables_fit(logic_tables, use_bits, room)) return;
  const auto [left, bound] = counting::left_in(room);
  const auto needed = [&](std::uint32_t bits) { return tables_need(logic_tables, bits); };

  std::string advice = "no '-use-bits' would fit.";
  for (std::uint32_t bits = use_bits; bits-- > 0;)
    if (needed(bits) <= left) {
      advice = util::string::concat("'-use-bits' ", bits, " or less would fit.");
      break;
    }
  throw tables_too_large(util::string::concat("The value tables need ", bytes_text(needed(use_bits)), " (",
                                              logic_tables + use_bits + 1, " tables of ",
                                              bytes_text(table_bytes(use_bits)), "), but only ",
                                              bytes_text(left), " of ", bound, " is left; ", advice));
}

std::uint64_t copies_that_fit(std::uint64_t logic_tables, std::uint32_t use_bits,
                              const counting::memory_room& room, std::uint64_t wanted) {
  const std::uint64_t one = tables_need(logic_tables, use_bits), left = counting::left_in(room).bytes;
  const std::uint64_t more = left > one ? (left - one) / 2 / one : 0;
  return std::clamp<std::uint64_t>(1 + more, 1, std::max<std::uint64_t>(wanted, 1));
}

tables_too_large::~tables_too_large() = default;

}  // namespace simulation
