# grep -r over an awkward tree, as an ordinary user, against GNU grep -r: the same lines under
# the same labels, the same files named as unreadable (a file, a folder, a file in a folder
# that may be listed but not searched), the same status. FIFOs are never opened, links never
# followed below the named folders.
mkdir -p tree/sub tree/locked tree/listonly
printf 'hit blank\n' >'tree/with blank'
printf 'hit slash\n' >'tree/a\b'
printf 'hit latin\n' >$'tree/caf\xe9'
printf 'hit upper\n' >tree/README.TXT
printf 'hit mixed\n' >tree/ReadMe.txt
printf 'hit deep\n' >tree/sub/deep
printf 'hit secret\n' >tree/secret
printf 'hit locked\n' >tree/locked/f
printf 'hit listed\n' >tree/listonly/f
mkfifo tree/fifo tree/sub/fifo
ln -s sub tree/dirlink
ln -s README.TXT tree/filelink
ln -s nowhere tree/dangling
ln -s loop tree/loop
chmod 000 tree/secret tree/locked
chmod 644 tree/listonly
chmod 777 .
# The ordinary user may not reach the build tree, so it runs a copy of the tool and its
# library, named relative to the work folder.
mkdir -p bin
kez_exe=$(readlink -f "$(command -v kez)")
cp "$kez_exe" bin/kez
cp "$(ldd "$kez_exe" | awk '$1 == "libkez.so.0" { print $3 }')" bin/
chmod 755 bin
as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
as_user env LD_LIBRARY_PATH=bin timeout 10 bin/kez grep -r hit tree >kez.out 2>kez.err
echo "kez rc=$?"
as_user timeout 10 grep -r hit tree >grep.out 2>grep.err
echo "grep rc=$?"
sort kez.out | diff - <(sort grep.out) && echo "same lines and labels as grep -r"
sed 's/^kez: //' kez.err | sort | diff - <(sed 's/^grep: //' grep.err | sort) &&
  echo "same files named as grep -r"
sort kez.err
