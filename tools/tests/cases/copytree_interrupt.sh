# Ctrl-C stops the copy: the files done stay, the file under way is removed, status 130.
mkdir -p src/sub
printf 'first\n' >src/a.txt
head -c 2000000 /dev/zero >src/sub/z.bin
kez copytree --bwlimit 200K src dst 2>err.txt &
pid=$!
for i in $(seq 1 100); do [ -e dst/sub/z.bin ] && break; sleep 0.05; done
sleep 0.2
kill -INT $pid
wait $pid; echo "rc=$?"
cat err.txt
cat dst/a.txt
ls dst/sub
