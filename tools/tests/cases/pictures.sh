# The sheets are PNG files of the expected size; a failed save leaves nothing behind.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 " x " $7*256+$8}'; }
kez marks --png marks.png
head -c 8 marks.png | od -An -c
png_size marks.png
kez colors --png colors.png && png_size colors.png
kez palette rainbow -e 24 --png rainbow.png && png_size rainbow.png
kez palette "$SAMPLES/sunset.pal" --png - | head -c 4 | od -An -c
kez marks --png marks.bmp; echo "rc=$?"
# A pipe or device takes the PNG bytes whatever its name: /dev/stdout, a FIFO with a reader.
kez marks --png /dev/stdout | head -c 4 | od -An -c
mkfifo pipe
timeout 10 cat pipe >from-pipe &
timeout 10 kez colors --png pipe; echo "rc=$?"
wait
head -c 4 from-pipe | od -An -c
rm from-pipe
ls -l pipe | cut -c1
rm pipe
kez colors --png nosuch/colors.png; echo "rc=$?"
kez marks; echo "rc=$?"
ls -A
