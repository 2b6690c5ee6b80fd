# A tree is copied whole (links recreated, times kept); the bar is drawn only on a terminal
# or when asked for; bad arguments are named.
mkdir -p src/a/b src/empty
printf 'hello\n' >src/x.txt
: >src/a/zero
head -c 100000 /dev/zero | tr '\0' 'k' >src/a/b/big.txt
ln -s x.txt src/link
touch -d '2020-01-02 03:04:05' src/x.txt
kez copytree src dst; echo "rc=$?"
diff -r src dst && echo "same content"
readlink dst/link
stat -c '%y' dst/x.txt | cut -c1-19
kez copytree --progress src dst2 2>bar.txt; echo "rc=$?"
tr '\r' '\n' <bar.txt | grep -c '100% \[####################\]'
script -qec "kez copytree src dst3" /dev/null | tr '\r' '\n' | grep -c ' 3/3 files '
script -qec "kez copytree src dst4 2>err.txt" /dev/null | wc -c
wc -c <err.txt
kez copytree nosuch dst5; echo "rc=$?"
kez copytree src/x.txt dst5; echo "rc=$?"
kez copytree src src/x.txt; echo "rc=$?"
kez copytree src; echo "rc=$?"
ls
# With -a the folders keep their permissions as well as the files: a private folder stays
# private.
mkdir -p priv/inner/deep
printf 's\n' >priv/inner/secret
chmod 600 priv/inner/secret
chmod 700 priv/inner
chmod 750 priv
chmod 555 priv/inner/deep
kez copytree -a priv priv-copy; echo "rc=$?"
stat -c '%a %n' priv-copy priv-copy/inner priv-copy/inner/secret priv-copy/inner/deep
# A file that does not fit (the file-size limit stands for a full disk) is named and not
# left cut short in the copy.
(ulimit -f 50; kez copytree src full); echo "rc=$?"
ls full/a/b | wc -l
# A copy over an existing tree replaces each file whole: one that does not fit leaves the
# old file as it was and nothing beside it; one that fits takes the old file's place.
mkdir -p over/a/b
printf 'precious\n' >over/a/b/big.txt
printf 'old\n' >over/x.txt
chmod 640 over/x.txt
(ulimit -f 50; kez copytree src over); echo "rc=$?"
cat over/a/b/big.txt
cat over/x.txt
stat -c '%a' over/x.txt
ls -A over/a/b over
# Names that differ only in letter case are two folders.
mkdir case
printf 'c\n' >case/f
kez copytree case CASE; echo "rc=$?"
cat CASE/f
