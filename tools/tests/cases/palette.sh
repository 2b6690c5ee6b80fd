# Palettes by name and from colour-array files, written and read back.
kez palette rainbow -e 4
kez palette "$SAMPLES/sunset.pal"
kez palette MorgenStemning -e 12 -o morning.pal
head -3 morning.pal | od -An -c | head -2
kez palette morning.pal -e 12 >a.txt
kez palette morgenstemning -e 12 >b.txt
cmp a.txt b.txt && echo "written palette reads back"
kez palette "$SAMPLES/notes.txt"; echo "rc=$?"
kez palette rainbow -e 0; echo "rc=$?"
kez palette rainbow -o .; echo "rc=$?"
# Up to 256 entries a sheet of swatches; beyond, a colour bar at most 1,024 pixels wide, up to
# the stated maximum of 65,536 entries.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d x %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
for n in 256 257 1000 65536; do
  kez palette rainbow --entries $n --png bar$n.png && echo "$n entries: $(png_size bar$n.png)"
done
