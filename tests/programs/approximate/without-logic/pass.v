module pass(a, b, y, z);
input a, b;
output y, z;
assign y = a;
assign z = ~b;
endmodule
