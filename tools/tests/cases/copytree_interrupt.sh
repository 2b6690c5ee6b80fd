# Ctrl-C, SIGTERM or SIGHUP stops the copy: the files done stay, the file under way is
# removed, status 130. Job control, so that the background job does not start with SIGINT
# ignored (a signal ignored when the tool starts stays ignored, as nohup wants).
set -m
mkdir -p src/sub
printf 'first\n' >src/a.txt
head -c 2000000 /dev/zero >src/sub/z.bin
for sig in INT TERM HUP; do
  rm -rf dst
  kez copytree --bwlimit 200K src dst 2>err.txt &
  pid=$!
  for i in $(seq 1 100); do [ -e dst/sub/z.bin ] && break; sleep 0.05; done
  sleep 0.2
  kill -s $sig $pid
  wait $pid; echo "$sig: rc=$?"
  cat err.txt
  cat dst/a.txt
  ls dst/sub
done
