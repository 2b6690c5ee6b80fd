# The last lines, line counts and ASC headers; bytes pass unchanged; bad files are named.
kez tail -n 3 "$SAMPLES/notes.txt"
printf 'a\r\nb\nna\303\257ve\nlast' | kez tail -n 2 | od -An -c
kez tail -n 50 "$SAMPLES/measurements.csv" | wc -l
kez tail -n 0 "$SAMPLES/notes.txt" | wc -c
kez tail -n 3000000000 "$SAMPLES/notes.txt" | cmp - "$SAMPLES/notes.txt" && echo whole
kez lines "$SAMPLES/notes.txt" "$SAMPLES/measurements.csv"
printf 'one\ntwo' | kez lines
kez lines nosuch .; echo "rc=$?"
kez asc-header "$SAMPLES/spectrum.asc"
printf 'c\n1\nx2\nTRUE TRUE TRUE TRUE\n' | kez asc-header; echo "rc=$?"
printf 'c\n1\n2\nTRUE maybe TRUE TRUE\n' | kez asc-header; echo "rc=$?"
kez asc-header "$SAMPLES"; echo "rc=$?"
kez tail -n -1 "$SAMPLES/notes.txt"; echo "rc=$?"
