// 4-bit adder with carry in and out.
module adder(input [3:0] a, input [3:0] b, input ci, output [3:0] s, output co);
  assign {co, s} = a + b + ci;
endmodule
