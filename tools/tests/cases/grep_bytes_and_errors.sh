# Lines keep their bytes (CR LF, Latin-1, UTF-8); bad patterns and files exit 2.
printf 'caf\351\r\nnaïve\nplain\n' >mixed.txt
kez grep 'caf.$' mixed.txt | od -An -c
kez grep 'ï' mixed.txt
kez grep 'a)b' mixed.txt; echo "rc=$?"
kez grep '*a' mixed.txt; echo "rc=$?"
kez grep plain nosuch mixed.txt .; echo "rc=$?"
kez grep; echo "rc=$?"
