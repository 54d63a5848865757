module wide(a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u, y);
input a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p, q, r, s, t, u;
output y;
assign y = a & b;
endmodule
