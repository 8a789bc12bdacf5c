no tab here
k	12x
k2	
a	b	5