#include "operation/read/read.hpp"

#include "operation/read/exception.hpp"
#include "operation/read/tree.hpp"
#include "operation/read/verilog.hpp"
#include "util/string.hpp"

namespace operation {

const std::unordered_set<std::string> supported_types = {"verilog", "tree"};

namespace {

// The format that the extension of `fname` names, or empty.
std::string_view type_of_extension(const std::filesystem::path& fname) {
  const std::filesystem::path extension = fname.extension();
  if (extension == ".v") return "verilog";
  if (extension == ".tree") return "tree";
  return {};
}

}  // namespace

Circuit read(const std::filesystem::path& fname, std::string_view filetype) {
  if (filetype.empty()) filetype = type_of_extension(fname);
  if (filetype == "verilog") return read_verilog(fname);
  if (filetype == "tree") return read_tree(fname);
  throw ReadException(util::string::concat("Unknown file format for `", fname, "`."));
}

}  // namespace operation
