#pragma once

#include <boost/multiprecision/gmp.hpp>
#include <boost/multiprecision/mpfr.hpp>
#include <cstdint>
#include <vector>

// Unbounded integer: exact combination counts, summed over any number of workers.
using mp_int = boost::multiprecision::number<boost::multiprecision::gmp_int, boost::multiprecision::et_on>;

// Exact fraction, kept in lowest terms: a probability before it is rounded.
using mp_rat =
    boost::multiprecision::number<boost::multiprecision::gmp_rational, boost::multiprecision::et_on>;

// Binary floating-point number whose precision is fixed when it is created, from the default
// precision in force at that moment (`set_float_precision`). All operations round to nearest.
using mp_flt =
    boost::multiprecision::number<boost::multiprecision::mpfr_float_backend<0>, boost::multiprecision::et_on>;

// Counts of a gate's combinations: entry i counts combination i.
using combs_vector = std::vector<mp_int>;

// The largest number of decimal digits accepted for any precision: far beyond any useful value,
// and small enough that the mantissa and every formatted number stay of a reasonable size.
inline constexpr std::uint64_t max_precision_digits = 1'000'000;

// Makes every `mp_flt` created from now on carry `digits` decimal digits, that is
// p = floor(1000·digits / 301) + 2 bits (+ 1 when 1000·digits is a multiple of 301): 214 bits for
// 64 digits, 68 for 20. Set it once, before any floating value exists, so that every operand and
// every result has the same precision. `digits` must lie in 1 … `max_precision_digits`.
void set_float_precision(std::uint64_t digits);

// The mantissa width in bits of a floating value.
std::int64_t precision_bits(const mp_flt& value);
