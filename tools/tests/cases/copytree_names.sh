# The copy holds every entry cp -a copies, under its exact name: case twins, backslashes,
# a colon, bytes that are not UTF-8, blanks and newlines, a FIFO.
mkdir src
printf 'upper\n' >src/README.TXT
printf 'mixed\n' >src/ReadMe.txt
printf 'slash\n' >'src/a\b.txt'
printf 'latin\n' >$'src/caf\xe9.txt'
printf 'colon\n' >'src/x:y.txt'
mkdir $'src/new\nline dir'
printf 'deep\n' >$'src/new\nline dir/ f '
ln -s 'a\b.txt' src/link
mkfifo src/fifo
kez copytree src dst; echo "rc=$?"
cp -a src cp
diff -r --no-dereference -x fifo dst cp && echo "same as cp -a"
(cd cp && find . | sort) >cp.list
(cd dst && find . | sort) | diff - cp.list && echo "same entries"
stat -c '%F' dst/fifo
# As an ordinary user, a file and a folder that cannot be read are named, status 1; the
# rest is copied.
mkdir -p user/src/locked user/src/open
printf 'a\n' >user/src/open/a
printf 's\n' >user/src/secret
printf 'b\n' >user/src/locked/b
chmod 000 user/src/secret user/src/locked
chmod 777 user user/src
# The ordinary user may not reach the build tree (it can sit in a private folder), so it runs
# a copy of the tool and its library, named relative to the work folder.
mkdir -p user/bin
kez_exe=$(readlink -f "$(command -v kez)")
cp "$kez_exe" user/bin/kez
cp "$(ldd "$kez_exe" | awk '$1 == "libkez.so.0" { print $3 }')" user/bin/
chmod 755 user/bin
setpriv --reuid=65534 --regid=65534 --clear-groups env LD_LIBRARY_PATH=user/bin \
  user/bin/kez copytree user/src user/dst; echo "rc=$?"
(cd user/dst && find . | sort)
# A source folder the user may not read at all is named as the problem.
setpriv --reuid=65534 --regid=65534 --clear-groups env LD_LIBRARY_PATH=user/bin \
  user/bin/kez copytree user/src/locked user/dst2; echo "rc=$?"
