module seq(a, y);
input a;
output y;
reg q;
always @(posedge a) q <= a;
assign y = q;
endmodule
