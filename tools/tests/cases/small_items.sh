# Usage errors name what is wrong; ranges are checked; a write error on standard output is
# one line; each subcommand's help ends with its own note and example.
kez --nosuch; echo "rc=$?"
printf 'x' | kez ascii85 encode >/dev/full; echo "rc=$?"
mkdir a
kez copytree --bwlimit -5 a b; echo "rc=$?"
kez copytree --bwlimit 0 a b; echo "rc=$?"
kez color --hsi 400 2 -1; echo "rc=$?"
kez color --hsi 120 1 0.5 | head -1; echo "rc=$?"
echo '<x/>' >n.xml
kez strarray list n.xml; echo "rc=$?"
for cmd in htmltext "featmat show" "featmat check" "strarray show" "strarray list" demo units; do
  kez $cmd --help | grep -c '^Example: kez '
done
