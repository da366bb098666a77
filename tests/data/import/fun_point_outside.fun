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
3
0                0
150              0.5
100              1

1
0.50
