#include "operation/gate.hpp"

#include <gtest/gtest.h>

#include <array>
#include <boost/multiprecision/gmp.hpp>
#include <functional>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using namespace operation;

TEST(Gates, LookupFindsExactNamesOnly) {
  for (gid_t id = 0; id < gates::count; ++id) {
    const Gate gate = *gates::list[id];
    EXPECT_EQ(gate.id(), id);
    EXPECT_TRUE(gates::get(gate.name()) == gate);
    EXPECT_EQ(gates::gates_[id], gates::list[id]);
  }
  EXPECT_TRUE(gates::get("W") == gates::WIRE);
  EXPECT_EQ(gates::get("REC2.MAJ").id(), 14U);
  for (const char* name : {"WIRE", "and", "Rec1.AND", "REC1_AND", "AND ", " AND", "", "REC3.AND", "A"}) {
    try {
      gates::get(name);
      ADD_FAILURE() << name;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()), std::string("Unknown gate `") + name + "`.");
    }
  }
}

TEST(Gates, KindsHaveTheirPortsAndEnergies) {
  const std::vector<std::array<int, 3>> expected{{0, 0, 0}, {0, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0},
                                                 {2, 1, 2}, {2, 1, 2}, {3, 1, 3}, {2, 1, 2}, {2, 2, 1},
                                                 {2, 3, 0}, {2, 2, 1}, {2, 3, 0}, {3, 2, 2}, {3, 3, 2}};
  for (gid_t id = 0; id < gates::count; ++id) {
    const Gate gate = *gates::list[id];
    EXPECT_EQ(gate.input_count(), expected[id][0]) << gate.name();
    EXPECT_EQ(gate.output_count(), expected[id][1]) << gate.name();
    EXPECT_EQ(gate.approximate_energy(), expected[id][2]) << gate.name();
    EXPECT_EQ(gate.reversible(), expected[id][2] == 0) << gate.name();
  }
  EXPECT_TRUE(gates::REC2_OR.in(gates::AND, gates::REC2_OR));
  EXPECT_FALSE(gates::REC2_OR.in(gates::AND, gates::REC1_OR));
  EXPECT_FALSE(gates::AND.in());
  EXPECT_TRUE(gates::AND != gates::OR);
}

TEST(Gates, PortLayoutNamesComputedAndCopiedPorts) {
  constexpr pos_t none = Gate::no_port;
  EXPECT_EQ(gates::WIRE.computed_port(), none);
  EXPECT_EQ(gates::WIRE.copied_input(0), 0);
  for (const Gate gate : {gates::AND, gates::OR, gates::XOR, gates::MAJ}) {
    EXPECT_EQ(gate.computed_port(), 0) << gate.name();
    EXPECT_EQ(gate.copied_input(0), none) << gate.name();
  }
  for (const Gate gate : {gates::NONE, gates::ZERO, gates::I, gates::O})
    EXPECT_EQ(gate.computed_port(), none);
  EXPECT_EQ(gates::REC1_MAJ.computed_port(), 1);
  EXPECT_EQ(gates::REC1_MAJ.copied_input(0), 0);
  EXPECT_EQ(gates::REC1_MAJ.copied_input(1), none);
  EXPECT_EQ(gates::REC2_AND.copied_input(2), 1);
  EXPECT_EQ(gates::REC2_MAJ.copied_input(2), 2);
  EXPECT_EQ(gates::REC2_MAJ.computed_port(), 1);
}

// The output combination of input combination i, from the gates' definitions: the base function
// of the inputs, and for recycling kinds input 0, the function and (REC2) the last input.
unsigned defined_output(const Gate& gate, unsigned i) {
  const unsigned n = gate.input_count();
  if (n == 0 || gate.output_count() == 0) return 0;
  const auto x = [&](unsigned k) { return (i >> (n - 1 - k)) & 1; };
  if (n == 1) return x(0);
  const unsigned base = gate.in(gates::AND, gates::REC1_AND, gates::REC2_AND) ? x(0) & x(1)
                        : gate.in(gates::OR, gates::REC1_OR, gates::REC2_OR)  ? x(0) | x(1)
                        : gate == gates::XOR                                  ? x(0) ^ x(1)
                                                                              : (x(0) + x(1) + x(2)) / 2;
  if (gate.output_count() == 1) return base;
  if (gate.output_count() == 2) return x(0) << 1 | base;
  return x(0) << 2 | base << 1 | x(n - 1);
}

TEST(Gates, FoldingFollowsTheOutputMaps) {
  for (const Gate* gate : gates::list) {
    const unsigned inputs = 1U << gate->input_count();
    for (unsigned i = 0; i < inputs; ++i) {
      std::vector<cmb_t> in(inputs), out(1U << gate->output_count());
      in[i] = 1;
      (*gate)(in, out);
      std::vector<cmb_t> expected(out.size());
      expected[defined_output(*gate, i)] = 1;
      EXPECT_EQ(out, expected) << gate->name() << " combination " << i;
    }
  }
  cmb_t and_counts[4] = {3, 5, 7, 11}, and_out[2] = {};
  gates::AND(and_counts, and_out);
  EXPECT_EQ(and_out[0], 15U);
  EXPECT_EQ(and_out[1], 11U);
  // Unbounded counts, added onto what `out` already holds.
  using boost::multiprecision::mpz_int;
  const mpz_int big = mpz_int(1) << 70;
  std::vector<mpz_int> in{big, 2, big, 4}, out{1, 1, 1, 1};
  gates::REC1_OR(in, out);
  EXPECT_EQ(out, (std::vector<mpz_int>{big + 1, 3, 1, big + 5}));
}

// The evaluation state of a few nodes with up to three ports each, as the simulation keeps it.
struct state {
  explicit state(nid_t nodes) : values(nodes), ports(nodes), tables(nodes), flags(nodes), same(nodes) {
    for (nid_t n = 0; n < nodes; ++n) {
      for (pos_t p = 0; p < 3; ++p) ports[n][p] = &values[n][p];
      tables[n] = ports[n].data();
      same[n] = flags[n].data();
    }
  }

  void evaluate(const Gate& gate, nid_t nid, const std::vector<arc_t>& arcs, cmb_t* combs, bool use_same,
                bool watch_changes) {
    gate({nid, arcs.data(), tables.data(), values[0][0].size(), combs, use_same ? same.data() : nullptr,
          watch_changes});
  }

  // The value input k sees at pattern j.
  bool seen(const arc_t& arc, siz_t j) const {
    const bitset& t = values[arc.node][arc.port];
    return ((t.bucket(j / 64) >> (j % 64)) & 1) != arc.inverted;
  }

  std::vector<std::array<tab_t, 3>> values;
  std::vector<std::array<tab_t*, 3>> ports;
  std::vector<tab_t**> tables;
  std::vector<std::array<bool, 3>> flags;
  std::vector<bool*> same;
};

bitset random_table(siz_t size, std::mt19937_64& random) {
  std::vector<bck_t> words(bitset::count_buckets(size));
  for (bck_t& word : words) word = random();
  return bitset::from_words(size, words);
}

const Gate evaluable[] = {gates::WIRE,    gates::AND,      gates::OR,       gates::MAJ,
                          gates::XOR,     gates::REC1_AND, gates::REC2_AND, gates::REC1_OR,
                          gates::REC2_OR, gates::REC1_MAJ, gates::REC2_MAJ};

// Random tables of odd sizes, random arc inversions, and inputs that are constant, repeated or
// complementary (the bit-vector shortcuts): every evaluator's counters match a count pattern by
// pattern, and its ports hold the values its definition gives.
TEST(Evaluators, CountAndComputeLikeTheDefinition) {
  std::mt19937_64 random(17);
  for (siz_t size : {1, 3, 63, 65, 1000, 4099}) {
    for (int round = 0; round < 12; ++round) {
      state s(4);
      s.values[0][0] = random_table(size, random);
      s.values[1][0] = random_table(size, random);
      s.values[1][1] = round % 3 == 0 ? bitset(size) : random_table(size, random);
      s.values[2][0] = ~bitset(size);
      for (const Gate& gate : evaluable) {
        SCOPED_TRACE(::testing::Message() << gate.name() << " size " << size << " round " << round);
        std::vector<arc_t> arcs;
        for (pos_t k = 0; k < gate.input_count(); ++k) {
          // Arcs mostly to distinct random tables, sometimes to the same table or to a constant.
          const auto pick = random() % 8;
          const nid_t node = pick < 5 ? k % 2 : pick == 5 ? 0 : 2;
          arcs.emplace_back(node, node == 1 ? random() % 2 : 0, random() % 2 == 1);
        }
        std::vector<cmb_t> combs(1U << gate.input_count(), 99);
        s.evaluate(gate, 3, arcs, combs.data(), random() % 2 == 1, random() % 2 == 1);
        std::vector<cmb_t> expected(combs.size());
        std::vector<std::vector<bool>> ports(gate.output_count(), std::vector<bool>(size));
        for (siz_t j = 0; j < size; ++j) {
          unsigned i = 0;
          for (const arc_t& arc : arcs) i = i << 1 | s.seen(arc, j);
          ++expected[i];
          const unsigned o = defined_output(gate, i);
          for (pos_t p = 0; p < gate.output_count(); ++p)
            ports[p][j] = (o >> (gate.output_count() - 1 - p)) & 1;
        }
        EXPECT_EQ(combs, expected);
        for (pos_t p = 0; p < gate.output_count(); ++p) {
          const bitset& t = s.values[3][p];
          ASSERT_EQ(t.size(), size) << "port " << int(p);
          std::vector<bool> value(size);
          for (siz_t j = 0; j < size; ++j) value[j] = (t.bucket(j / 64) >> (j % 64)) & 1;
          EXPECT_EQ(value, ports[p]) << "port " << int(p);
          EXPECT_EQ(t.popcount(), std::count(value.begin(), value.end(), true)) << "port " << int(p);
        }
      }
    }
  }
}

TEST(Evaluators, CountTheDocumentedExample) {
  state s(3);
  s.values[0][0] = bitset::from_words(4, std::vector<bck_t>{0b1110});  // input 0 = 0, 1, 1, 1
  s.values[1][0] = bitset::from_words(4, std::vector<bck_t>{0b1100});  // input 1 = 0, 0, 1, 1
  for (const Gate& gate : {gates::AND, gates::OR}) {
    std::vector<cmb_t> combs(4);
    s.evaluate(gate, 2, {{0, 0, false}, {1, 0, false}}, combs.data(), false, false);
    EXPECT_EQ(combs, (std::vector<cmb_t>{1, 0, 1, 2})) << gate.name();
    s.evaluate(gate, 2, {{0, 0, true}, {1, 0, false}}, combs.data(), false, false);
    EXPECT_EQ(combs, (std::vector<cmb_t>{1, 2, 1, 0})) << gate.name();
  }
}

TEST(Evaluators, UnchangedInputsSkipAndWatchedOutputsAreCompared) {
  std::mt19937_64 random(23);
  state s(3);
  s.values[0][0] = random_table(200, random);
  s.values[1][0] = random_table(200, random);
  const std::vector<arc_t> arcs{{0, 0, false}, {1, 0, true}};
  for (const Gate& gate : {gates::AND, gates::OR, gates::XOR, gates::REC2_AND}) {
    SCOPED_TRACE(gate.name());
    std::vector<cmb_t> combs(4);
    s.evaluate(gate, 2, arcs, combs.data(), true, true);
    const pos_t port = gate == gates::REC2_AND ? 1 : 0;
    EXPECT_FALSE(s.flags[2][port]);  // the old table held another gate's values, or nothing
    const bitset result = s.values[2][port];
    // Same inputs again: with watching the flag is set, without it cleared.
    s.evaluate(gate, 2, arcs, combs.data(), true, true);
    EXPECT_TRUE(s.flags[2][port]);
    EXPECT_TRUE(s.values[2][port] == result);
    s.evaluate(gate, 2, arcs, combs.data(), true, false);
    EXPECT_FALSE(s.flags[2][port]);
    // Every input flagged unchanged: nothing is touched but the flags.
    s.flags[0][0] = s.flags[1][0] = true;
    const bitset before = s.values[2][port];
    std::vector<cmb_t> untouched{5, 6, 7, 8};
    s.evaluate(gate, 2, arcs, untouched.data(), true, true);
    EXPECT_EQ(untouched, (std::vector<cmb_t>{5, 6, 7, 8}));
    EXPECT_TRUE(s.values[2][port].is(before));
    EXPECT_TRUE(s.flags[2][port]);
    s.flags[0][0] = s.flags[1][0] = false;
  }
}

TEST(Evaluators, RecyclingPortsCopyTheirInputs) {
  std::mt19937_64 random(29);
  state s(4);
  for (nid_t n = 0; n < 3; ++n) s.values[n][0] = random_table(130, random);
  const std::vector<arc_t> arcs{{0, 0, true}, {1, 0, false}, {2, 0, true}};
  // Input 0 unchanged, the others changed: port 0 copies input 0's flag, port 2 input 2's.
  s.flags[0][0] = true;
  s.flags[2][0] = true;
  s.flags[3] = {false, true, false};
  s.evaluate(gates::REC2_MAJ, 3, arcs, nullptr, true, false);
  EXPECT_TRUE(s.values[3][0].same_impl(s.values[0][0]) && s.values[3][0].inverted());
  EXPECT_TRUE(s.values[3][2].same_impl(s.values[2][0]) && s.values[3][2].inverted());
  EXPECT_EQ(s.flags[3], (std::array<bool, 3>{true, false, true}));
  // REC1 kinds have no port 2; with every input unchanged the copies are still made.
  s.values[3][2] = bitset();
  s.flags[3][2] = false;
  s.flags[1][0] = true;
  s.values[3][0] = bitset();
  s.evaluate(gates::REC1_MAJ, 3, arcs, nullptr, true, false);
  EXPECT_TRUE(s.values[3][0].same_impl(s.values[0][0]));
  EXPECT_EQ(s.values[3][2].size(), 0U);
  EXPECT_EQ(s.flags[3], (std::array<bool, 3>{true, true, false}));
}

TEST(Evaluators, OwnTableIsOverwrittenOnlyWhenSolelyOwned) {
  std::mt19937_64 random(31);
  state s(3);
  s.values[0][0] = random_table(300, random);
  s.values[1][0] = random_table(300, random);
  const std::vector<arc_t> arcs{{0, 0, false}, {1, 0, false}};
  s.evaluate(gates::AND, 2, arcs, nullptr, false, false);
  const bitset first = s.values[2][0], expected = first.copy();
  // A reader still holds the old table: the new result must not overwrite it.
  s.values[1][0] = random_table(300, random);
  s.evaluate(gates::OR, 2, arcs, nullptr, false, false);
  EXPECT_TRUE(first == expected);
  EXPECT_TRUE(s.values[2][0] == (s.values[0][0] | s.values[1][0]));
  // Sole owner now: the result is written over the old values.
  s.values[0][0] = random_table(300, random);
  s.evaluate(gates::XOR, 2, arcs, nullptr, false, false);
  EXPECT_TRUE(s.values[2][0] == (s.values[0][0] ^ s.values[1][0]));
}

}  // namespace
