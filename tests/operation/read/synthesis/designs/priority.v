// Priority encoder of 8 requests: the index of the highest one and whether there is one.
module priority(input [7:0] r, output reg [2:0] index, output any);
  integer i;
  always @* begin
    index = 3'd0;
    for (i = 0; i < 8; i = i + 1)
      if (r[i]) index = i[2:0];
  end
  assign any = |r;
endmodule
