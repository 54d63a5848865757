// Shifts a 6-bit word with constant fill and concatenations, by 0 to 3 places.
module shifter(input [5:0] a, input [1:0] s, input fill, output [7:0] y, output [2:0] k);
  wire [7:0] t = {fill, a, 1'b0};
  assign y = t >> s;
  assign k = {a[5], 2'b10} ^ {fill, s};
endmodule
