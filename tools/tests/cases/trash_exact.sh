# Exactly the named files go to the trash: not their case twins, and a "\" in a name is
# part of it.
export XDG_DATA_HOME=$PWD/xdg
printf 'a\n' >report.txt
printf 'b\n' >REPORT.TXT
printf 'c\n' >Report.Txt
mkdir sub
printf 'd\n' >sub/f.txt
printf 'e\n' >'sub\f.txt'
kez trash report.txt 'sub\f.txt' nosuch REPORT.TXT; echo "rc=$?"
ls . sub
ls xdg/Trash/files
# Names the library's masks would read otherwise: wildcards, and a name starting with ".".
printf 'f\n' >'a*b'
printf 'g\n' >'a?b'
printf 'h\n' >axb
printf 'i\n' >.hidden
printf 'j\n' >sub/.dot
kez trash 'a*b' 'a?b' .hidden sub/.dot; echo "rc=$?"
ls -A . sub
ls -A xdg/Trash/files
