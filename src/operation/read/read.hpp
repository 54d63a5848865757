#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_set>

#include "operation/circuit.hpp"

namespace operation {

// The netlist formats `read` understands: "verilog", "tree" and "aiger" (the choices of a file-type
// option).
extern const std::unordered_set<std::string> supported_types;

// Reads the netlist `fname` in the format `filetype`, or, when it is empty, the format its extension
// names (".v": verilog, ".tree": tree, ".aag" and ".aig": aiger). Throws ReadException "Unknown file
// format for `PATH`." for any other format; the readers' own errors pass through. The Verilog reader
// prints its phases and a line counter on `progress`.
Circuit read(const std::filesystem::path& fname, std::string_view filetype, std::ostream& progress);

}  // namespace operation
