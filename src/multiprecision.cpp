#include "multiprecision.hpp"

#include <mpfr.h>

void set_float_precision(std::uint64_t digits) { mp_flt::default_precision(static_cast<unsigned>(digits)); }

std::int64_t precision_bits(const mp_flt& value) { return mpfr_get_prec(value.backend().data()); }
