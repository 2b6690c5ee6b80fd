# The layouts, one layout alone, and widths at the ends of their range.
kez format 1234.5678 -w 10 -d 2
kez format -w 12 -d -2 -n 3 -- -0.000123456
kez format -0.5 -w 6 -l strff
kez format 1e300 --layout formatdata -w 8 -d 3
kez format nan -l strff -w 6
kez format 2.5 -w -2147483648 -d 2147483647 -l strff | wc -c
kez format 2.5 -w 2147483648; echo "rc=$?"
kez format abc; echo "rc=$?"
kez format 1 --layout nosuch; echo "rc=$?"
