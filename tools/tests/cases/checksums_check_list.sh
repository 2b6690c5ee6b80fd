# A list made by the tool verifies; a changed, a missing file and a bad line are reported.
printf 'one\n' >a.txt
printf 'two\n' >b.txt
printf 'three\n' >c.txt
kez sha1 a.txt b.txt c.txt >sums
kez sha1 --check sums; echo "rc=$?"
sha1sum -c sums >/dev/null && echo "sha1sum accepts the list"
printf 'TWO\n' >b.txt
rm c.txt
echo "not a checksum line" >>sums
kez sha1 -c sums; echo "rc=$?"
kez crc32 a.txt | kez crc32 -c; echo "rc=$?"
echo garbage | kez crc16 -c
