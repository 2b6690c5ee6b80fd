# With -a the copy has the modes and times cp -a gives it: read-only, mode 000, set-uid and
# sticky entries keep their exact mode; folders and symbolic links keep their times.
list() { (cd "$1" && find . -printf '%y %m %s %l %p %T@\n' | sort); }
mkdir -p src/sub src/old
printf 'r\n' >src/ro
printf 'n\n' >src/none
printf 's\n' >src/suid
printf 'k\n' >src/sub/k
ln -s sub src/link
chmod 444 src/ro
chmod 000 src/none
chmod 4755 src/suid
chmod 1777 src/sub
touch -h -d '2001-02-03 04:05:06' src/link
touch -d '2002-03-04 05:06:07' src/sub src/old src
kez copytree -a src dst; echo "rc=$?"
cp -a src cp
list dst | diff - <(list cp) && echo "same modes and times as cp -a"
# As an ordinary user: a folder that may be listed but not searched has its entries named;
# a folder that may not be read is made, empty, with its mode, as cp -a makes it.
mkdir -p user/src/listonly user/src/locked
printf 'x\n' >user/src/listonly/x
printf 'y\n' >user/src/locked/y
chmod 644 user/src/listonly
chmod 000 user/src/locked
chmod 777 user user/src
# The ordinary user may not reach the build tree, so it runs a copy of the tool and its
# library, named relative to the work folder.
mkdir -p user/bin
kez_exe=$(readlink -f "$(command -v kez)")
cp "$kez_exe" user/bin/kez
cp "$(ldd "$kez_exe" | awk '$1 == "libkez.so.0" { print $3 }')" user/bin/
chmod 755 user/bin
as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
as_user env LD_LIBRARY_PATH=user/bin user/bin/kez copytree -a user/src user/dst; echo "rc=$?"
as_user cp -a user/src user/cp 2>/dev/null; echo "cp rc=$?"
list user/dst | diff - <(list user/cp) && echo "same entries and modes as cp -a"
