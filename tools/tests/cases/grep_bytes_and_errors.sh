# Lines keep their bytes (CR LF, UTF-8); a selected line that is not text (Latin-1) is not
# printed, and the file is reported as a binary file that matches, as GNU grep does. Bad
# patterns and files exit 2.
printf 'caf\351\r\nnaïve\nplain\n' >mixed.txt
kez grep 'caf.$' mixed.txt | od -An -c
kez grep 'ï' mixed.txt
kez grep 'a)b' mixed.txt; echo "rc=$?"
kez grep '*a' mixed.txt; echo "rc=$?"
kez grep plain nosuch mixed.txt .; echo "rc=$?"
kez grep; echo "rc=$?"
