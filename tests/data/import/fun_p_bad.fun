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
two
0                0
100              1

1
0.50
