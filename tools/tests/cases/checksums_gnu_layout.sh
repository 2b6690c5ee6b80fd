# kez sha1 writes the lists sha1sum writes and reads them as it does, byte for byte: names
# with a newline, CR, backslash, blanks, a leading "*" and bytes that are not UTF-8, both line
# forms, -z, and every check option. Each case runs both tools and compares standard output,
# standard error (after the program's name) and the status; $IN is their standard input.
both() {
  label=$1
  shift
  kez sha1 "$@" <"${IN:-/dev/null}" >k.out 2>k.err
  krc=$?
  sha1sum "$@" <"${IN:-/dev/null}" >g.out 2>g.err
  grc=$?
  sed -i 's/^sha1sum: /kez: /' g.err
  if cmp -s k.out g.out && cmp -s k.err g.err && [ "$krc" = "$grc" ]; then
    echo "same: $label (status $krc)"
  else
    echo "DIFFERENT: $label (status $krc, sha1sum $grc)"
    diff k.out g.out
    diff k.err g.err
  fi
}
mkdir f && cd f
printf a >$'new\nline'
printf b >'back\slash'
printf c >$'cr\rx'
printf d >'two  blanks'
printf e >$'caf\xe9'
printf f >'*star'
printf g >' lead'
printf h >'plain.txt'
cd ..
names=(f/*)
both "list" "${names[@]}"
cat k.out | od -c | sed -n 1,3p
both "BSD list" --tag "${names[@]}"
both "binary marks" -b "${names[@]}"
both "NUL ends" -z "${names[@]}"
both "missing and a folder" f/plain.txt nosuch f
kez sha1 "${names[@]}" >kez.sums
sha1sum "${names[@]}" >gnu.sums
kez sha1 --tag "${names[@]}" >kez.tag
sha1sum --tag "${names[@]}" >gnu.tag
both "check of sha1sum's list" -c gnu.sums
both "check of kez's list" -c kez.sums
both "check of sha1sum's BSD list" -c gnu.tag
both "check of kez's BSD list" -c kez.tag
# A changed file, a missing one, lines that are no sum line, a comment and an empty line.
printf 'changed' >f/plain.txt
{ cat gnu.sums; echo '# a comment'; echo; echo 'not a sum'; echo '0123  short'; } >mixed.sums
sha1sum f/plain.txt | sed 's|plain|gone|' >>mixed.sums
both "check with failures" -c mixed.sums
both "--quiet" -c --quiet mixed.sums
both "--status" -c --status mixed.sums
both "--warn" -c --warn mixed.sums
both "--strict" -c --strict mixed.sums
both "--ignore-missing" -c --ignore-missing mixed.sums
grep -v plain gnu.sums >good.sums
both "improper lines only warn" -c good.sums mixed.sums
{ cat good.sums; echo 'junk'; } >junk.sums
both "improper line, rest good" -c junk.sums
both "--strict on it" -c --strict junk.sums
echo 'junk' >none.sums
both "no sum line at all" -c none.sums
sha1sum f/plain.txt | sed 's|plain|gone|' >gone.sums
both "--ignore-missing, nothing verified" -c --ignore-missing gone.sums
IN=good.sums both "list from standard input" -c -
printf '%s  -\n' "$(sha1sum <f/plain.txt | cut -c1-40)" >stdin.sums
IN=stdin.sums both "\"-\" in a list read from standard input" -c
# The CRC-32 lists have the same layout; the values are zlib's.
kez crc32 f/plain.txt "f/back\\slash"
python3 -c 'import zlib,sys; [print("%08x" % zlib.crc32(open(n,"rb").read())) for n in sys.argv[1:]]' \
  f/plain.txt "f/back\\slash"
kez crc32 --tag f/plain.txt | kez crc32 -c
