# The options grep users reach for, compared with GNU grep on the same files where the two
# languages agree ($IN is their standard input), and the warnings for patterns that grep would read otherwise.
printf 'one apple\npineapple\napple pie\nAPPLE\n' >fruit.txt
printf 'no fruit here\n' >none.txt
mkdir -p tree/sub
printf 'apple\n' >tree/a.txt
printf 'pear\n' >tree/sub/b.txt
printf 'apple tart\n' >tree/sub/c.txt
same() {
  kez grep "$@" <"${IN:-/dev/null}" >k.out 2>k.err
  krc=$?
  grep "$@" <"${IN:-/dev/null}" >g.out 2>g.err
  grc=$?
  sed -i 's/^grep: /kez: /' g.err
  # The order of files below a folder is grep's directory order; kez sorts them.
  [ -n "${SORT:-}" ] && sort -o k.out k.out && sort -o g.out g.out
  if cmp -s k.out g.out && cmp -s k.err g.err && [ "$krc" = "$grc" ]; then
    echo "same: grep $* (status $krc)"
  else
    echo "DIFFERENT: grep $* (status $krc, grep $grc)"
    diff k.out g.out
    diff k.err g.err
  fi
}
same -w apple fruit.txt
same -x apple fruit.txt
same -x 'apple pie' fruit.txt
same -o 'p[a-z]' fruit.txt
same -i -c apple fruit.txt none.txt
same -l apple fruit.txt none.txt
same -L apple fruit.txt none.txt
same -H apple fruit.txt
same -h apple fruit.txt none.txt
same -q apple fruit.txt nosuch
same -q pear fruit.txt nosuch
same -e pie -e one fruit.txt
same -n -e APPLE -i fruit.txt
SORT=1 same -r apple tree
SORT=1 same -r -l apple tree
(cd tree && kez grep -r apple | sort >../k.out && grep -r apple | sort >../g.out)
cmp k.out g.out && echo "same: grep -r apple, in the folder searched"
same -v -c apple fruit.txt
IN=fruit.txt same apple -
IN=fruit.txt same -H apple
IN=fruit.txt same -c apple - fruit.txt
# Binary data: a NUL byte, or a selected line that is not text, is not printed.
printf 'apple\0core\napple\n' >bin.dat
printf 'apple\nap\351ple apple\nan apple\n' >latin.txt
same apple bin.dat
same -c apple bin.dat
same apple latin.txt
# Patterns that mean something else to grep get a warning; the search still runs.
printf 'a1\nd1\na|b\nx{2}\n[ab\n' >pat.txt
kez grep '\d1' pat.txt; echo "rc=$?"
kez grep 'a|b' pat.txt; echo "rc=$?"
kez grep 'x{2}' pat.txt; echo "rc=$?"
kez grep '[ab' pat.txt; echo "rc=$?"
kez grep -e; echo "rc=$?"
