// p and q read each other.
module loop ( a, b, y );
  input a, b;
  output y;
  wire p, q;
  assign p = a & q;
  assign q = p | b;
  assign y = q;
endmodule
