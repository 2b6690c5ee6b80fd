# Damaged input fails and leaves no output file; an existing output stays as it was.
printf 'ab{cd~>' | kez ascii85 decode -o out; echo "rc=$?"
ls
echo old >kept
printf '!!z!!~>' | kez ascii85 decode -o kept; echo "rc=$?"
cat kept
echo 'hello world' | kez uu decode; echo "rc=$?"
kez rle encode nosuch; echo "rc=$?"
kez rle encode . -o x; echo "rc=$?"
echo x | kez rle encode -o .; echo "rc=$?"
echo x | kez rle encode -o nosuch/x; echo "rc=$?"
kez scramble --seed abc; echo "rc=$?"
kez ascii85; echo "rc=$?"
ls
# The run-length decoder ends without a closing triplet: empty input gives nothing, and
# input cut inside a triplet fails without an output file.
kez rle decode </dev/null | wc -c; echo "rc=$?"
printf '\xa5' | kez rle decode; echo "rc=$?"
printf 'a\xa5\x05' | kez rle decode -o cut; echo "rc=$?"
ls cut
