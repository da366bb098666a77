1
Function file
Price
EUR
Gain
100
100
2
1
1
2
100              0
100              1

1
0.50
