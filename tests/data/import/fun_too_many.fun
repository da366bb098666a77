11
Function file
Crit 0
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

Crit 1
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

Crit 2
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

Crit 3
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

Crit 4
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

Crit 5
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

Crit 6
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

Crit 7
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

Crit 8
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

Crit 9
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

Crit 10
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
0.50 0.50 0.50 0.50 0.50 0.50 0.50 0.50 0.50 0.50 0.50
