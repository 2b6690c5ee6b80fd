# Help and version on standard output with status 0; usage errors on standard error with 2.
kez --help | head -1; echo "rc=$?"
kez crc32 --help | grep -c -- --check; echo "rc=$?"
kez ascii85 encode --help | head -1
kez --version
kez; echo "rc=$?"
kez nosuch; echo "rc=$?"
kez crc32 --nosuch; echo "rc=$?"
kez colors >/dev/full; echo "rc=$?"
