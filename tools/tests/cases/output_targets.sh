# -o writes a regular file (also through a link) beside it and renames it over, keeping
# its mode; anything else is written directly and never replaced.
printf 'hello\n' >in.txt
printf 'old\n' >t.txt
chmod 600 t.txt
ln t.txt hard
ln -s t.txt link
kez rle encode in.txt -o link; echo "rc=$?"
stat -c '%A %h %F' t.txt link hard
cmp -s in.txt t.txt || kez rle decode t.txt
cat hard
kez rle encode in.txt -o /dev/null; echo "rc=$?"
stat -c '%F' /dev/null
mkfifo fifo
cat fifo >from-fifo &
kez rle encode in.txt -o fifo; echo "rc=$?"
wait
stat -c '%F' fifo
kez rle decode from-fifo
kez rle encode in.txt -o /dev/stdout | kez rle decode
kez rle encode in.txt -o /dev/stdout >to-stdout; kez rle decode to-stdout
# A write beyond the file-size limit fails, and leaves the old file and nothing beside it.
head -c 300000 /dev/zero | tr '\0' 'q' >big
(ulimit -f 100; kez ascii85 encode big -o t.txt); echo "rc=$?"
cat t.txt | kez rle decode
ls -A
kez rle encode in.txt -o .; echo "rc=$?"
kez rle encode in.txt -o nosuchdir/x; echo "rc=$?"
# A picture that cannot be written is reported under the name asked for.
(ulimit -f 10; kez colors --png colors.png); echo "rc=$?"
ls -A | grep colors; echo "found=$?"
# An ordinary user's file in a folder it may not write is not written in place: the message
# says why.
mkdir -p user/bin user/ro
kez_exe=$(readlink -f "$(command -v kez)")
cp "$kez_exe" user/bin/kez
cp "$(ldd "$kez_exe" | awk '$1 == "libkez.so.0" { print $3 }')" user/bin/
chmod 755 user user/bin
printf 'old\n' >user/ro/mine
chown 65534 user/ro/mine
chmod 555 user/ro
setpriv --reuid=65534 --regid=65534 --clear-groups env LD_LIBRARY_PATH=user/bin \
  user/bin/kez rle encode in.txt -o user/ro/mine; echo "rc=$?"
cat user/ro/mine
