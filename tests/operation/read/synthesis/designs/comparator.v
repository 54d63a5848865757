// Compares two 5-bit numbers.
module comparator(input [4:0] a, input [4:0] b, output lt, output eq, output gt);
  assign lt = a < b;
  assign eq = a == b;
  assign gt = a > b;
endmodule
