// Fuzzes join's command line: parsing it and reading every value join reads. The input holds one
// argument per line. A bad command line must be refused with the parser's errors.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "join/command_line.hpp"
#include "support/arguments.hpp"
#include "support/failure.hpp"
#include "support/scratch_file.hpp"
#include "util/argparse/base.hpp"

namespace {

void read_values(const util::argparse::params& args) {
  const join::precisions digits = join::read_precisions(args);
  fuzz::check(digits.num >= 1 && digits.save >= 1, "precision below 1 digit accepted");
  util::argparse::iterator<std::filesystem::path> input, end;
  args.get<std::filesystem::path>("inputs", input, end);
  fuzz::check(input != end, "no count file, yet the command line was accepted");
  for (; input != end; ++input) (void)*input;
  for (const std::string option : {"-o", "-save-energy", "-save-entropy", "-save-combs", "-save-time"})
    if (args.is_set(option)) (void)args.get<std::filesystem::path>(option);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::arguments command_line("join", fuzz::as_text(data, size));
  try {
    read_values(join::parse_args(command_line.argc(), command_line.argv()));
  } catch (const util::exception&) {
  } catch (const util::help_requested&) {
  }
  return 0;
}
