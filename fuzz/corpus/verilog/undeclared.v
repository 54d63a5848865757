module u(a, y);
input a;
output y;
assign y = a & b;
assign y = a;
endmodule
