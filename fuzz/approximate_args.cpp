// Fuzzes approximate's command line: parsing it and reading every value approximate reads. The
// input holds one argument per line. A bad command line must be refused with the parser's errors.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "approximate/command_line.hpp"
#include "operation/read/read.hpp"
#include "support/arguments.hpp"
#include "support/failure.hpp"
#include "support/scratch_file.hpp"
#include "util/argparse/base.hpp"

namespace {

void read_values(const util::argparse::params& args) {
  (void)args.get<std::uint64_t>("-print-every");
  (void)args.get<std::filesystem::path>("input");
  const std::string& type = args.get_ref("-filetype");
  fuzz::check(type.empty() || operation::supported_types.contains(type), "file type '", type, "' accepted");
  for (const std::string option :
       {"-o", "-save-time", "-save-memory", "-save-ranks", "-save-energy", "-save-entropy"})
    if (args.is_set(option)) (void)args.get<std::filesystem::path>(option);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::arguments command_line("approximate", fuzz::as_text(data, size));
  try {
    read_values(approximate::parse_args(command_line.argc(), command_line.argv()));
  } catch (const util::exception&) {
  } catch (const util::help_requested&) {
  }
  return 0;
}
