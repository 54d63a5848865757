// Writes a generated arithmetic circuit as and-inverter-graph Verilog on standard output:
//
//   bench_arith_verilog multiplier 10 > mul10.v     (10 × 10 array multiplier, 20 inputs)
//   bench_arith_verilog adder 11 > add11.v          (11-bit ripple-carry adder, 22 inputs)

#include <iostream>
#include <string>

#include "aig.hpp"

int main(int argc, char** argv) {
  const std::string kind = argc == 3 ? argv[1] : "";
  if (kind != "multiplier" && kind != "adder") {
    std::cerr << "usage: " << argv[0] << " multiplier|adder BITS\n";
    return 2;
  }
  const unsigned bits = std::stoul(argv[2]);
  std::cout << (kind == "multiplier" ? aig::array_multiplier(bits) : aig::ripple_carry_adder(bits)).verilog();
  return 0;
}
