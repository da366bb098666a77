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
1
0                0

1
0.50
