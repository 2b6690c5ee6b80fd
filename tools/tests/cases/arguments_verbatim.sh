# Every argument reaches the command as it was typed: a pattern or a name in brackets is not
# read as a list of values, however many values the command takes.
printf 'a1\nb\n0-9\n' >t
kez grep '[0-9]' t; echo "rc=$?"
kez grep -c '[a,b]' t - <t; echo "rc=$?"
printf 'one\n' >'[ab]'
printf 'two\nlines\n' >'[a,b]'
printf 'three\nlines\nhere\n' >$'\x1fmarked'
kez lines '[ab]' '[a,b]' $'\x1fmarked' | od -c | sed 's/  */ /g'; echo "rc=$?"
kez sha1 '[a,b]'; echo "rc=$?"
kez urlencode '[a,b]' '[x]'; echo "rc=$?"
kez lines '[nosuch]'; echo "rc=$?"
