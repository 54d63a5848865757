// Wire chains (w1 -> w2 -> w3, inverted twice and once), a constant output, a majority,
// assignments out of dependency order and a declared wire nothing uses.
module top(a, b, c, y, z, t);
input a, b, c;
output y, z, t;
wire w1, w2, w3, g, h, m, unused;
assign y = h;
assign h = g ^ ~w3;
assign g = w2 & c;
assign w3 = ~w2;
assign w2 = ~w1;
assign w1 = a;
assign m = (a & b) | (a & c) | (b & c);
assign t = m | ~g;
assign z = 1'b1;
endmodule
