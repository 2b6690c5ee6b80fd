# Digests and layout as sha1sum prints them; CRC-32 as zlib computes it; CRC-16 check values.
kez sha1 "$SAMPLES/notes.txt" "$SAMPLES/measurements.csv" >kez.txt
sha1sum "$SAMPLES/notes.txt" "$SAMPLES/measurements.csv" >sys.txt
cmp kez.txt sys.txt && echo "sha1 as sha1sum"
printf 123456789 | kez crc32
printf 123456789 | kez crc16
printf 123456789 | kez crc16 --mode ccitt -
printf abc | kez sha1
kez crc32 </dev/null
kez crc32 "$SAMPLES/notes.txt"
