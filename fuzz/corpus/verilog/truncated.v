module t(a, y);
input a,
