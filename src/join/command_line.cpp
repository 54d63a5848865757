#include "join/command_line.hpp"

#include <iterator>
#include <stdexcept>
#include <string>

#include "multiprecision.hpp"
#include "util/error.hpp"
#include "util/string.hpp"

namespace join {
namespace {

using params = util::argparse::params;
using option = util::argparse::option;

// Reads a number of digits that must lie in `least` … `max_precision_digits`.
params::conversor<std::uint64_t> digits_from(std::uint64_t least) {
  return [least](const std::string& text) {
    const auto digits = params::default_conversor<std::uint64_t>(text);
    if (digits < least || digits > max_precision_digits) {
      throw std::out_of_range(
          util::string::concat("digits must be from ", least, " to ", max_precision_digits));
    }
    return digits;
  };
}

}  // namespace

util::argparse::params parse_args(int argc, const char* const* argv) {
  util::argparse parser;
  parser.add("inputs", option(option::required) | option::multiple);
  parser.describe("inputs", "the count files of the job's workers");
  parser.add("-o", "");
  parser.describe("-o", "file receiving each gate's energy (name,energy)");
  parser.add("-save-energy", "");
  parser.describe("-save-energy", "file receiving the circuit's total energy");
  parser.add("-save-entropy", "");
  parser.describe("-save-entropy", "file receiving each gate's entropies (name,in-entropy,out-entropy)");
  parser.add("-save-combs", "");
  parser.describe("-save-combs", "file receiving each gate's summed counts (name,in-combs,out-combs)");
  parser.add("-replicates", option::enabler);
  parser.describe(
      "-replicates",
      "read each count file as an independent replicate and give every energy its standard error");
  parser.add("-save-energy-error", "");
  parser.describe("-save-energy-error",
                  "file receiving the standard error of the total energy (-replicates)");
  parser.add("-save-time", "");
  parser.describe("-save-time", "file receiving the run time in seconds");
  parser.add("-precision", "64");
  parser.describe("-precision", "precision of every floating value, in decimal digits");
  parser.add("-precision-print", "5");
  parser.describe("-precision-print", "digits after the point on the terminal");
  parser.add("-precision-save", "20");
  parser.describe("-precision-save", "digits after the point in files (0: as -precision)");
  return parser.parse(static_cast<std::uint64_t>(argc), argv);
}

void check_replicates(const params& args) {
  if (!args.get<bool>("-replicates")) {
    if (args.is_set("-save-energy-error")) {
      throw util::usage_error("'-save-energy-error' needs '-replicates'.");
    }
    return;
  }
  util::argparse::iterator<std::string> input, end;
  args.get<std::string>("inputs", input, end);
  if (std::distance(input, end) < 2) {
    throw util::usage_error("'-replicates' needs two count files or more: one replicate shows no spread.");
  }
}

precisions read_precisions(const params& args) {
  precisions digits{args.get<std::uint64_t>("-precision", digits_from(1)),
                    args.get<std::uint64_t>("-precision-print", digits_from(0)),
                    args.get<std::uint64_t>("-precision-save", digits_from(0))};
  if (digits.save == 0) {
    digits.save = digits.num;
  }
  return digits;
}

}  // namespace join
