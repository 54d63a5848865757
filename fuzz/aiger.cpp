// Fuzzes the AIGER reader and the phases that the programs run on a circuit just read.
#include <cstddef>
#include <cstdint>

#include "support/netlist.hpp"
#include "support/quiet_console.hpp"
#include "support/scratch_file.hpp"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::read_netlist(fuzz::as_text(data, size), "aiger");
  return 0;
}
