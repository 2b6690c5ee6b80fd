# SIGINT, SIGTERM and SIGHUP during a write remove the temporary file and keep the old one;
# the tool ends by the signal. The signal goes to the process this case started.
printf 'old\n' >out.txt
# Job control, so that the background job does not start with SIGINT ignored.
set -m
# The shell's own notes on its jobs carry process ids; they are not compared.
exec 2>/dev/null
for sig in INT TERM HUP; do
  mkfifo feed
  kez ascii85 encode feed -o out.txt &
  pid=$!
  exec 3>feed
  head -c 200000 /dev/zero >&3
  # The tool now waits for more input, with its temporary file beside out.txt.
  for _ in $(seq 100); do
    [ "$(ls -A | grep -c '^\.out')" = 1 ] && break
    sleep 0.05
  done
  ls -A | grep -c '^\.out'
  kill -s "$sig" "$pid"
  wait "$pid"
  echo "$sig: rc=$?"
  exec 3>&-
  rm feed
  ls -A
  cat out.txt
done
