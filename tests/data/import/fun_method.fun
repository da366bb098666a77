1
Function file
Price
EUR
Gain
0
100
2
5
1
2
0                0
100              1

1
0.50
