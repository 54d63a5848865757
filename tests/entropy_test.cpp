#include "entropy.hpp"

#include <gmp.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using operation::Gate;
namespace gates = operation::gates;

// Sets the floating precision for one test and restores it afterwards.
class Entropy : public testing::Test {
 protected:
  void SetUp() override { saved_ = mp_flt::default_precision(); }
  void TearDown() override { mp_flt::default_precision(saved_); }

  static combs_vector counts(const std::vector<std::string>& texts) {
    combs_vector combs;
    for (const auto& text : texts) {
      combs.emplace_back(text);
    }
    return combs;
  }

 private:
  unsigned saved_ = 0;
};

// The entropy computed directly with MPFR at 500 bits, by another formula:
// H = log2 T − (Σ c·log2 c) / T over the non-zero counts c, T their sum.
double reference_difference(const combs_vector& combs, const mp_flt& value) {
  mpfr_t total, sum, term, result, computed;
  for (mpfr_ptr x : {total, sum, term, result, computed}) {
    mpfr_init2(x, 500);
  }
  mpfr_set_ui(total, 0, MPFR_RNDN);
  mpfr_set_ui(sum, 0, MPFR_RNDN);
  for (const mp_int& count : combs) {
    mpfr_set_z(term, count.backend().data(), MPFR_RNDN);
    mpfr_add(total, total, term, MPFR_RNDN);
    if (mpfr_sgn(term) > 0) {
      mpfr_t log;
      mpfr_init2(log, 500);
      mpfr_log2(log, term, MPFR_RNDN);
      mpfr_mul(term, term, log, MPFR_RNDN);
      mpfr_add(sum, sum, term, MPFR_RNDN);
      mpfr_clear(log);
    }
  }
  mpfr_div(sum, sum, total, MPFR_RNDN);
  mpfr_log2(result, total, MPFR_RNDN);
  mpfr_sub(result, result, sum, MPFR_RNDN);
  mpfr_set(computed, value.backend().data(), MPFR_RNDN);
  mpfr_sub(result, result, computed, MPFR_RNDN);
  const double difference = mpfr_get_d(result, MPFR_RNDN);
  for (mpfr_ptr x : {total, sum, term, result, computed}) {
    mpfr_clear(x);
  }
  return difference;
}

// The entropy computed with MPFR at `bits`, step by step as the product requires: each
// probability an exact fraction rounded once, then −p·log2 p accumulated in index order.
mp_flt stepwise_entropy(const combs_vector& combs, mpfr_prec_t bits) {
  mp_int total = 0;
  for (const mp_int& count : combs) total += count;
  mpfr_t result, prob, log;
  for (mpfr_ptr x : {result, prob, log}) {
    mpfr_init2(x, bits);
  }
  mpfr_set_ui(result, 0, MPFR_RNDN);
  for (const mp_int& count : combs) {
    if (count == 0) continue;
    mpq_t fraction;
    mpq_init(fraction);
    mpq_set_num(fraction, count.backend().data());
    mpq_set_den(fraction, total.backend().data());
    mpq_canonicalize(fraction);
    mpfr_set_q(prob, fraction, MPFR_RNDN);
    mpq_clear(fraction);
    mpfr_log2(log, prob, MPFR_RNDN);
    mpfr_mul(log, prob, log, MPFR_RNDN);
    mpfr_sub(result, result, log, MPFR_RNDN);
  }
  mp_flt value;
  mpfr_set(value.backend().data(), result, MPFR_RNDN);
  for (mpfr_ptr x : {result, prob, log}) {
    mpfr_clear(x);
  }
  return value;
}

TEST_F(Entropy, AndOfFourEqualCounts) {
  set_float_precision(64);
  const combs_vector inp = counts({"1", "1", "1", "1"});
  const gate_information info = measure_gate(gates::AND, inp);
  EXPECT_EQ(info.total, 4);
  EXPECT_EQ(info.out_combs, counts({"3", "1"}));
  EXPECT_EQ(info.inp_ent, 2);
  // 2 − (3/4)·log2 3 and its complement (3/4)·log2 3 − 0.
  EXPECT_LT(std::abs(reference_difference(info.out_combs, info.out_ent)), 1e-63);
  const mp_flt expected_energy = mp_flt(3) / 4 * log2(mp_flt(3));
  EXPECT_LT(abs(info.energy - expected_energy), mp_flt("1e-63"));
}

TEST_F(Entropy, ReversibleKindsLoseNothing) {
  set_float_precision(64);
  std::mt19937_64 random(7);
  for (const Gate& gate : {gates::WIRE, gates::REC2_AND, gates::REC2_OR}) {
    for (int trial = 0; trial < 20; ++trial) {
      combs_vector inp;
      for (int i = 0; i < (1 << gate.input_count()); ++i) inp.emplace_back(random() % 1000);
      const gate_information info = measure_gate(gate, inp);
      EXPECT_LT(abs(info.energy), mp_flt("1e-60")) << gate.name();
    }
  }
  // REC2.MAJ is not one to one: combinations 0 and 2 both give output 0.
  const gate_information info =
      measure_gate(gates::REC2_MAJ, counts({"1", "0", "1", "0", "0", "0", "0", "0"}));
  EXPECT_EQ(info.inp_ent, 1);
  EXPECT_EQ(info.out_ent, 0);
  EXPECT_EQ(info.energy, 1);
}

TEST_F(Entropy, DegenerateDistributionsHaveNoEntropy) {
  set_float_precision(64);
  for (const auto& inp : {counts({"0", "0", "0", "0"}), counts({"0", "0", "12345678901234567890123", "0"})}) {
    const gate_information info = measure_gate(gates::XOR, inp);
    EXPECT_EQ(info.inp_ent, 0);
    EXPECT_EQ(info.out_ent, 0);
    EXPECT_EQ(info.energy, 0);
    EXPECT_EQ(precision_bits(info.energy), 214);
  }
}

TEST_F(Entropy, NarrowPrecisionsAreKept) {
  // The library widens results that mix in a built-in number to that number's digits; the
  // computation must mix in none, so that 3 digits mean 11 bits throughout.
  set_float_precision(3);
  const gate_information info =
      measure_gate(gates::REC1_MAJ, counts({"1", "2", "3", "4", "5", "6", "7", "8"}));
  for (const mp_flt* value : {&info.inp_ent, &info.out_ent, &info.energy}) {
    EXPECT_EQ(precision_bits(*value), 11);
  }
}

TEST_F(Entropy, CountsBeyondSixtyFourBitsStayExact) {
  set_float_precision(64);
  // Differences far below 2^-64 of the total must still show: the counts are summed and
  // divided exactly.
  const combs_vector inp =
      counts({"1180591620717411303424", "1180591620717411303425", "3", "885443715538058477568"});
  const gate_information info = measure_gate(
      gates::MAJ, counts({"1180591620717411303424", "1", "0", "7", "885443715538058477568", "0", "2", "5"}));
  EXPECT_EQ(info.total, mp_int("2066035336255469781007"));
  EXPECT_LT(std::abs(reference_difference(inp, entropy(inp, mp_int("3246626956972881084420")))), 1e-62);
  EXPECT_LT(std::abs(reference_difference(info.out_combs, info.out_ent)), 1e-62);
}

TEST_F(Entropy, TwentyDigitsRoundEveryStepAtSixtyEightBits) {
  set_float_precision(20);
  std::mt19937_64 random(11);
  for (int trial = 0; trial < 50; ++trial) {
    combs_vector inp;
    for (int i = 0; i < 8; ++i) inp.emplace_back(mp_int(random()) * random() * (random() % 3));
    mp_int total = 0;
    for (const auto& count : inp) total += count;
    const mp_flt value = entropy(inp, total);
    EXPECT_EQ(precision_bits(value), 68);
    EXPECT_EQ(value, stepwise_entropy(inp, 68));
    // Accurate to the width's last few bits.
    EXPECT_LT(std::abs(reference_difference(inp, value)), 1e-18);
  }
}

}  // namespace
