#include "operation/read/read.hpp"

#include "operation/read/aiger.hpp"
#include "operation/read/exception.hpp"
#include "operation/read/tree.hpp"
#include "operation/read/verilog.hpp"
#include "util/string.hpp"

namespace operation {

const std::unordered_set<std::string> supported_types = {"verilog", "tree", "aiger"};

namespace {

// The format that the extension of `fname` names, or empty.
std::string_view type_of_extension(const std::filesystem::path& fname) {
  const std::filesystem::path extension = fname.extension();
  if (extension == ".v") return "verilog";
  if (extension == ".tree") return "tree";
  if (extension == ".aag" || extension == ".aig") return "aiger";
  return {};
}

// Runs one reader. The circuit's own checks (an unknown gate name, a second gate for a node, a
// name too long, nodes out of section order) fail with standard runtime errors; they are faults of
// the netlist, so they leave here as `ReadException` with the same text.
template <typename Reader>
Circuit read_netlist(Reader reader) {
  try {
    return reader();
  } catch (const ReadException&) {
    throw;
  } catch (const std::runtime_error& error) {
    throw ReadException(error.what());
  }
}

}  // namespace

Circuit read(const std::filesystem::path& fname, std::string_view filetype, std::ostream& progress) {
  if (filetype.empty()) filetype = type_of_extension(fname);
  if (filetype == "verilog") return read_netlist([&] { return read_verilog(fname, progress); });
  if (filetype == "tree") return read_netlist([&] { return read_tree(fname); });
  if (filetype == "aiger") return read_netlist([&] { return read_aiger(fname); });
  throw ReadException(util::string::concat("Unknown file format for `", fname, "`."));
}

}  // namespace operation
