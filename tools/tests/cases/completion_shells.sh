# Option values are completed; zsh and fish get scripts too; the manual page reads in man.
kez completion bash >kez.bash
source ./kez.bash
COMP_WORDS=(kez crc16 --mode ""); COMP_CWORD=3; _kez; echo "${COMPREPLY[@]}"
COMP_WORDS=(kez format -l Sig); COMP_CWORD=3; _kez; echo "${COMPREPLY[@]}"
COMP_WORDS=(kez palette r); COMP_CWORD=2; _kez; echo "${COMPREPLY[@]}"
COMP_WORDS=(kez completion ""); COMP_CWORD=2; _kez; echo "${COMPREPLY[@]}"
kez completion zsh | head -3
kez completion fish | grep -c '^complete -c kez'
kez completion fish | grep -- "-l mode"
kez manpage >kez.1
MANWIDTH=80 man -l kez.1 2>/dev/null | grep -c 'kez crc32'
kez --help | grep -c manpage
