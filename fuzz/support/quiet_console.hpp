#pragma once

#include <iostream>

namespace fuzz {

// Makes standard output discard what the code under test prints (the readers' progress):
// printing would cost more than the work being fuzzed.
inline void silence_stdout() { std::cout.setstate(std::ios::badbit); }

}  // namespace fuzz
