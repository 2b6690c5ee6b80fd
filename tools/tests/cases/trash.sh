# Files go to the freedesktop.org trash (here under $XDG_DATA_HOME); others are named.
export XDG_DATA_HOME=$PWD/xdg
printf 'one\n' >a.txt
printf 'two\n' >'b c.txt'
mkdir d
kez trash a.txt 'b c.txt'; echo "rc=$?"
ls
ls xdg/Trash/files
grep -h '^Path=' xdg/Trash/info/* | sed 's|.*/||' | sort
kez trash nosuch d; echo "rc=$?"
kez trash; echo "rc=$?"
