// 4 × 3-bit multiplier.
module multiplier(input [3:0] a, input [2:0] b, output [6:0] p);
  assign p = a * b;
endmodule
