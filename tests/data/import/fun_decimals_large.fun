1
Function file
Price
EUR
Gain
0
100
11
1
1
2
0                0
100              1

1
0.50
