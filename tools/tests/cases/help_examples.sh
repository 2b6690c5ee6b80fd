# Every example that a --help shows works in an empty folder, without a warning: each
# "Example:" line of every command's help is run as written (the "prints ..." note after an
# example is left out).
export XDG_DATA_HOME=$PWD/xdg
kez --help | sed -n 's/^  \([a-z0-9-]*\) .*/\1/p' >commands
while read -r cmd; do
  kez "$cmd" --help
  for sub in $(kez "$cmd" --help | sed -n '/^SUBCOMMANDS:/,$s/^  \([a-z0-9-]*\) .*/\1/p'); do
    kez "$cmd" "$sub" --help
  done
done <commands | sed -n 's/^Example: //p' | sed 's/   prints .*//' >examples
wc -l <examples
while read -r example; do
  (eval "$example") >/dev/null 2>warnings </dev/null || echo "failed: $example"
  if [ -s warnings ]; then echo "warned: $example"; cat warnings; fi
done <examples
