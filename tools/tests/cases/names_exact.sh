# Every name on the command line is the Linux file of exactly that name: no drive, no "\"
# separator, no letter case ignored. A name that fails is named in one line and the
# command goes on with the next one.
mkdir -p 'c:/etc' && printf 'not the system file\n' >'c:/etc/hostname'
kez tail 'c:/etc/hostname'; echo "rc=$?"
kez grep . 'c:/etc/hostname'; echo "rc=$?"
printf 'one\ntwo\n' >'back\slash.txt'
printf 'a\nb\nc\n' >$'caf\xe9.txt'
printf 'upper\n' >NOTES.TXT
kez lines 'back\slash.txt' nosuch notes.txt $'caf\xe9.txt' NOTES.TXT | od -c | sed 's/  */ /g'
echo "rc=$?"
kez asc-header 'back\slash.txt'; echo "rc=$?"
kez featmat check nosuch.fm; echo "rc=$?"
# Standard input is read as it comes: a tail of a stream that never ends its input still
# shows once its writer closes, and nothing is copied to the temporary folder.
mkdir tmp
printf 'a\nb\nc\n' | TMPDIR=$PWD/tmp kez tail -n 2
ls tmp
printf 'x;y\n' | kez lines
# A name with a line break is still reported in one line.
kez lines $'new\nline' $'cr\rname'; echo "rc=$?"
printf 'x\n' >$'new\nline'
kez sha1 $'new\nline' $'no\nsuch' | od -c | sed 's/  */ /g'
