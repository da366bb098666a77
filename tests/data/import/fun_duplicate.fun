2
Function file
Price of fuel
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

Price of food
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
