2
Function file
Price
EUR
Gain
0
100
2
1
1
-50
0                0
100              1

Weight
EUR
Gain
0
100
2
1
1
2
0                0
100              1

1
0.50 0.50
