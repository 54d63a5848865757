module cyc(a, y);
input a;
output y;
wire u, v;
assign u = v & a;
assign v = u | a;
assign y = u;
endmodule
