0
Function file
1
0.50
