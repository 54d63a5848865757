module top(a, b, y);
  input a, b;
  output y;
  wire w;
  assign w = a & ~b;
  assign y = ~w;
endmodule
