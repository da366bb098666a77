4
House purchase: utility functions and scaling coefficients
Price
EUR
Cost
80000
250000
0
1
1
4
80000            1
120000           0.8
180000           0.35
250000           0

Floor area
m2
Gain
40
160
0
2
1
3
40               0
90               0.7
160              1

Distance to work
km
Cost
0.5
30
1
3
1
3
0.5              1
10               0.6
30               0

Garden
m2
Gain
0
800
0
4
0
2
0                0
800              1

0.3719
0.40 0.30 0.20 0.00
