# grep's output forms and exit codes, on files and standard input.
kez grep -n 'reading [0-9]+' "$SAMPLES/notes.txt"; echo "rc=$?"
kez grep -i -c 'GRAZ' "$SAMPLES/notes.txt" "$SAMPLES/measurements.csv"; echo "rc=$?"
kez grep -v -n 'C$' "$SAMPLES/notes.txt"; echo "rc=$?"
kez grep 'no such text' "$SAMPLES/notes.txt"; echo "rc=$?"
printf 'alpha\nbeta\ngamma\n' | kez grep 'a$' -; echo "rc=$?"
printf 'x\n' | kez grep ''; echo "rc=$?"
