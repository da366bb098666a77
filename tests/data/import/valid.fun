3
Function file of a car choice
Fuel consumption
l/100 km
cost
4.5
12
1
2
1
3
4.5              1
8                0.4
12               0

Comfort
points
Gain
0
10
0
1
2
4
0                0
3                0.2
7                0.8
10               1

Price
EUR
Cost
 8000 
20000
0
4
1
2
8000             1
20000            0

-0.35
0.30 0.250.60
not read
