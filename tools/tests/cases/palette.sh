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
