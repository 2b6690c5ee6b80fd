# The coded forms themselves.
printf A | kez ascii85 encode
printf '\0\0\0\0abcd' | kez ascii85 encode
printf 'aaaaab\245' | kez rle encode | od -An -tx1
printf Cat | kez uu encode
printf 'hello' | kez scramble --seed 42 | od -An -tx1
printf 'hello' | kez scramble | kez scramble -d; echo
