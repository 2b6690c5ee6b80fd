# Every byte value survives each coding there and back, through pipes and files.
for i in $(seq 0 255); do printf "\\$(printf %03o "$i")"; done >bytes
# every byte, runs longer than a run-length triplet holds, and a tail shorter than a group
{ cat bytes bytes; head -c 3000 /dev/zero; printf 'aaaa\245\245\245x'; } >all.bin
rm bytes
for c in ascii85 rle uu; do
  kez $c encode all.bin | kez $c decode | cmp - all.bin && echo "$c: stdin and stdout"
  kez $c encode -o enc all.bin && kez $c decode enc -o dec && cmp dec all.bin && echo "$c: files"
done
kez scramble --seed 99 all.bin | kez scramble --seed 99 -d | cmp - all.bin && echo "scramble"
kez scramble --seed 99 all.bin | cmp -s - all.bin || echo "scrambled bytes differ"
ls
