# Missing files and folders are named, the others still summed; bad options are usage errors.
printf x >x.txt
kez crc32 nosuch x.txt .; echo "rc=$?"
kez crc16 --mode xmodem x.txt; echo "rc=$?"
kez sha1 --frobnicate
