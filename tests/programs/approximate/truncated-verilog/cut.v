// Three levels of logic behind an inverter; the constant is read, so it stays.
module small ( a, b, c, y, z );
  input a, b, c;
  output y, z;
  wire w1, w2, w3;
  assign w1 = a & b;
  assign w2 = ~w1 | c;
  assign w3 = w2 ^