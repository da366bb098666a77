1
Function file
Price
EUR
Gain
low
100
2
1
1
2
0                0
100              1

1
0.50
