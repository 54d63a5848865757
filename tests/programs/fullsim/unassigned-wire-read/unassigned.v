// The wire q is declared and read but never assigned.
module unassigned ( a, y );
  input a;
  output y;
  wire p, q;
  assign p = a & q;
  assign y = ~p;
endmodule
