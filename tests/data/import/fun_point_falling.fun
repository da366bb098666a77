1
Function file
Price
EUR
Gain
0
100
2
1
1
4
0                0
20               0.6
40               0.4
100              1

1
0.50
