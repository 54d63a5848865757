#include "counting/split_errors.hpp"

#include <string>

#include "util/string.hpp"

namespace counting {

namespace {

std::string worker_message(std::uint64_t worker, std::uint32_t sel_bits, std::uint32_t sel_bits_asked) {
  // sel_bits is below 64 here: every 64-bit worker number is below 2^64.
  const std::uint64_t workers = std::uint64_t{1} << sel_bits;
  return util::string::concat("Worker ", worker, " does not exist: ", sel_bits, " sel bits make ", workers,
                              workers == 1 ? " worker, numbered 0" : " workers, numbered 0 to ",
                              workers == 1 ? "" : std::to_string(workers - 1), ".",
                              sel_bits_asked != sel_bits
                                  ? util::string::concat(" ('-sel-bits' ", sel_bits_asked,
                                                         " is capped at the circuit's input count.)")
                                  : std::string());
}

}  // namespace

worker_out_of_range::worker_out_of_range(std::uint64_t worker, std::uint32_t sel_bits,
                                         std::uint32_t sel_bits_asked)
    : util::usage_error(worker_message(worker, sel_bits, sel_bits_asked)) {}

too_many_bits::too_many_bits(std::uint32_t use_bits, std::uint32_t var_bits, std::uint64_t sel_bits_needed)
    : util::usage_error(util::string::concat(
          "The run would have ", use_bits, " use bits and ", var_bits,
          " var bits; each must stay below 64 for the pattern counts to fit in 64 bits. Split the run "
          "among workers with '-sel-bits' ",
          sel_bits_needed, " or more.")) {}

sampling_with_workers::sampling_with_workers()
    : util::usage_error(
          "'-samples' draws from the whole input space and cannot be split with '-sel-bits'; run "
          "independent replicates ('-replicate R') instead.") {}

sample_too_large::sample_too_large(std::uint64_t samples, std::uint32_t use_bits)
    : util::usage_error(util::string::concat(
          samples, " samples of 2^", use_bits,
          " patterns each are too many for the 64-bit pattern counts: at most 2^63 patterns per run",
          use_bits <= 63 ? util::string::concat(" (", std::uint64_t{1} << (63 - use_bits),
                                                " samples at '-use-bits' ", use_bits, ")")
                         : std::string(),
          ".")) {}

}  // namespace counting
