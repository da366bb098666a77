1
Function file
Price
EUR
Cost
0
100
2
1
1
2
0                1
100              0.1

1
0.50
