module maj(a, b, c, d,
  y, z, k);
  input a, b, c, d;
  output y, z, k;
  wire w1, w2;
  // majorities in both written forms
  assign w1 = (a & b) | (a & c) | (b & c);
  assign w2 = (~a & b) | (d & (~a | b));
  assign y = w1 ^ w2;
  assign z = w1 | 1'b1;
  assign k = ~~(c);
endmodule
