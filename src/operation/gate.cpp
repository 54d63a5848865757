#include "operation/gate.hpp"

#include <stdexcept>
#include <unordered_map>

#include "util/string.hpp"

namespace operation {
namespace {

// An input's table as the gate sees it: the table, complemented when the arc is inverted.
bitset::operand input_of(const arc_t& arc, tab_t*** tables) {
  return {*tables[arc.node][arc.port], arc.inverted};
}

bool input_unchanged(const arc_t& arc, bool** same) { return same[arc.node][arc.port]; }

// The steps every evaluator shares, for a gate of N inputs whose port 0 is computed by
// `compute(input, own, unchanged)` (which also writes the counters; input(k) is input k as seen):
// - when every input is unchanged, only port 0's flag is set (table and counters stay);
// - the result goes straight into the node's table, overwriting its words in place when the node
//   solely owns them;
// - with `watch_changes` (and flags), `unchanged` asks the operation whether the new values equal
//   the old ones, which it learns in the pass that overwrites them; port 0's flag records the
//   answer (false without comparison).
template <pos_t N, typename Compute>
void evaluate(const evaluation& args, bool watch_changes, Compute compute) {
  const nid_t nid = args.node;
  const arc_t* arcs = args.arcs;
  tab_t*** tables = args.tables;
  bool** same = args.same;
  if (same != nullptr) {
    bool unchanged = true;
    for (pos_t k = 0; k < N; ++k) unchanged = unchanged && input_unchanged(arcs[k], same);
    if (unchanged) {
      same[nid][0] = true;
      return;
    }
  }
  bool unchanged = false;
  compute([&](pos_t k) { return input_of(arcs[k], tables); }, *tables[nid][0],
          same != nullptr && watch_changes ? &unchanged : nullptr);
  if (same != nullptr) same[nid][0] = unchanged;
}

// Counters of two inputs with counts p0, p1 and `both` patterns where both are 1.
void and_combs(cmb_t* combs, cmb_t max, cmb_t p0, cmb_t p1, cmb_t both) {
  combs[3] = both;
  combs[2] = p0 - both;
  combs[1] = p1 - both;
  combs[0] = max - p0 - p1 + both;
}

// Counters of two inputs with counts p0, p1 and `either` patterns where at least one is 1.
void or_combs(cmb_t* combs, cmb_t max, cmb_t p0, cmb_t p1, cmb_t either) {
  combs[0] = max - either;
  combs[1] = either - p0;
  combs[2] = either - p1;
  combs[3] = p0 + p1 - either;
}

void wire_function(const evaluation& args) {
  // A changed input always changes a wire's output: nothing to compare.
  evaluate<1>(args, false, [&](auto input, tab_t& out, bool*) {
    out.share(input(0));
    if (args.combs != nullptr) {
      args.combs[1] = out.popcount();
      args.combs[0] = args.max_combs - args.combs[1];
    }
  });
}

void and_function(const evaluation& args) {
  evaluate<2>(args, args.watch_changes, [&](auto input, tab_t& out, bool* unchanged) {
    const bitset::operand a = input(0), b = input(1);
    const cmb_t p0 = a.popcount(), p1 = b.popcount();
    bitset::AND(a, b, out, unchanged);
    if (args.combs != nullptr) and_combs(args.combs, args.max_combs, p0, p1, out.popcount());
  });
}

void or_function(const evaluation& args) {
  evaluate<2>(args, args.watch_changes, [&](auto input, tab_t& out, bool* unchanged) {
    const bitset::operand a = input(0), b = input(1);
    const cmb_t p0 = a.popcount(), p1 = b.popcount();
    bitset::OR(a, b, out, unchanged);
    if (args.combs != nullptr) or_combs(args.combs, args.max_combs, p0, p1, out.popcount());
  });
}

void xor_function(const evaluation& args) {
  evaluate<2>(args, args.watch_changes, [&](auto input, tab_t& out, bool* unchanged) {
    const bitset::operand a = input(0), b = input(1);
    const cmb_t p0 = a.popcount(), p1 = b.popcount();
    siz_t both;
    bitset::XOR(a, b, out, both, unchanged);
    if (args.combs != nullptr) and_combs(args.combs, args.max_combs, p0, p1, both);
  });
}

void maj_function(const evaluation& args) {
  evaluate<3>(args, args.watch_changes, [&](auto input, tab_t& out, bool* unchanged) {
    const bitset::operand x = input(0), y = input(1), z = input(2);
    const cmb_t a = x.popcount(), b = y.popcount(), c = z.popcount();
    std::array<siz_t, 4> pairs;
    bitset::MAJ(x, y, z, out, pairs, unchanged);
    if (args.combs == nullptr) return;
    const auto [ab, ac, bc, abc] = pairs;
    args.combs[7] = abc;
    args.combs[6] = ab - abc;
    args.combs[5] = ac - abc;
    args.combs[3] = bc - abc;
    args.combs[4] = a - ab - ac + abc;
    args.combs[2] = b - ab - bc + abc;
    args.combs[1] = c - ac - bc + abc;
    args.combs[0] = args.max_combs - a - b - c + ab + ac + bc - abc;
  });
}

// A recycling gate (ports as `recycling_port` lays them out): the base gate's result, with its
// counters and shortcut, and copies of input 0 and, when `full`, of input `last`. The base
// evaluator sees the result port as its port 0 through shifted entries of tables[nid] and same[nid].
template <fun_t function, bool full, pos_t last>
void recycled(const evaluation& args) {
  const nid_t nid = args.node;
  tab_t*** tables = args.tables;
  bool** same = args.same;
  using namespace recycling_port;
  if (same != nullptr) same[nid] += result;
  tables[nid] += result;
  function(args);
  tables[nid] -= result;
  if (same != nullptr) same[nid] -= result;
  const auto copy = [&](pos_t port, pos_t input) {
    tables[nid][port]->share(input_of(args.arcs[input], tables));
    if (same != nullptr) same[nid][port] = input_unchanged(args.arcs[input], same);
  };
  copy(first_input, 0);
  if constexpr (full) copy(last_input, last);
}

// Output maps: entry i is the output combination of input combination i.
constexpr pos_t map_none[] = {0};
constexpr pos_t map_source[] = {0};
constexpr pos_t map_output[] = {0, 0};
constexpr pos_t map_wire[] = {0, 1};
constexpr pos_t map_and[] = {0, 0, 0, 1};
constexpr pos_t map_or[] = {0, 1, 1, 1};
constexpr pos_t map_maj[] = {0, 0, 0, 1, 0, 1, 1, 1};
constexpr pos_t map_xor[] = {0, 1, 1, 0};
constexpr pos_t map_rec1_and[] = {0, 0, 2, 3};
constexpr pos_t map_rec2_and[] = {0, 1, 4, 7};
constexpr pos_t map_rec1_or[] = {0, 1, 3, 3};
constexpr pos_t map_rec2_or[] = {0, 3, 6, 7};
constexpr pos_t map_rec1_maj[] = {0, 0, 0, 1, 2, 3, 3, 3};
constexpr pos_t map_rec2_maj[] = {0, 1, 0, 3, 4, 7, 6, 7};

constexpr Gate::Impl records[gates::count] = {
    {0, "?", 0, 0, map_none, 0, nullptr},
    {1, "0", 0, 1, map_source, 0, nullptr},
    {2, "I", 0, 1, map_source, 0, nullptr},
    {3, "O", 1, 0, map_output, 0, nullptr},
    {4, "W", 1, 1, map_wire, 0, wire_function},
    {5, "AND", 2, 1, map_and, 2, and_function},
    {6, "OR", 2, 1, map_or, 2, or_function},
    {7, "MAJ", 3, 1, map_maj, 3, maj_function},
    {8, "XOR", 2, 1, map_xor, 2, xor_function},
    {9, "REC1.AND", 2, 2, map_rec1_and, 1, recycled<and_function, false, 1>},
    {10, "REC2.AND", 2, 3, map_rec2_and, 0, recycled<and_function, true, 1>},
    {11, "REC1.OR", 2, 2, map_rec1_or, 1, recycled<or_function, false, 1>},
    {12, "REC2.OR", 2, 3, map_rec2_or, 0, recycled<or_function, true, 1>},
    {13, "REC1.MAJ", 3, 2, map_rec1_maj, 2, recycled<maj_function, false, 2>},
    {14, "REC2.MAJ", 3, 3, map_rec2_maj, 2, recycled<maj_function, true, 2>},
};

}  // namespace

namespace gates {

constinit const Gate NONE{&records[0]};
constinit const Gate ZERO{&records[1]};
constinit const Gate I{&records[2]};
constinit const Gate O{&records[3]};
constinit const Gate WIRE{&records[4]};
constinit const Gate AND{&records[5]};
constinit const Gate OR{&records[6]};
constinit const Gate MAJ{&records[7]};
constinit const Gate XOR{&records[8]};
constinit const Gate REC1_AND{&records[9]};
constinit const Gate REC2_AND{&records[10]};
constinit const Gate REC1_OR{&records[11]};
constinit const Gate REC2_OR{&records[12]};
constinit const Gate REC1_MAJ{&records[13]};
constinit const Gate REC2_MAJ{&records[14]};

const Gate* const list[count] = {&NONE, &ZERO,     &I,        &O,       &WIRE,    &AND,      &OR,      &MAJ,
                                 &XOR,  &REC1_AND, &REC2_AND, &REC1_OR, &REC2_OR, &REC1_MAJ, &REC2_MAJ};

Gate get(std::string_view name) {
  // Built on first use (thread-safe); a name already present keeps its first gate.
  static const std::unordered_map<std::string_view, const Gate*> by_name = [] {
    std::unordered_map<std::string_view, const Gate*> map;
    for (const Gate* gate : list) map.emplace(gate->name(), gate);
    return map;
  }();
  const auto found = by_name.find(name);
  if (found == by_name.end()) throw std::runtime_error(util::string::concat("Unknown gate `", name, "`."));
  return *found->second;
}

}  // namespace gates

pos_t Gate::copied_input(pos_t port) const {
  if (*this == gates::WIRE) return 0;
  if (impl_->function_ == nullptr || output_count() < 2) return no_port;
  if (port == recycling_port::first_input) return 0;
  if (port == recycling_port::last_input) return input_count() - 1;
  return no_port;
}

pos_t Gate::computed_port() const {
  if (impl_->function_ == nullptr || *this == gates::WIRE) return no_port;
  return output_count() > 1 ? recycling_port::result : 0;
}

}  // namespace operation
