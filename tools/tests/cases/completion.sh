# The bash completion script knows the commands and their options.
kez completion bash >kez.bash
source ./kez.bash
complete -p kez
COMP_WORDS=(kez asc); COMP_CWORD=1; _kez; echo "${COMPREPLY[@]}"
COMP_WORDS=(kez ascii85 ""); COMP_CWORD=2; _kez; echo "${COMPREPLY[@]}"
COMP_WORDS=(kez crc16 --m); COMP_CWORD=2; _kez; echo "${COMPREPLY[@]}"
COMP_WORDS=(kez grep -i --line); COMP_CWORD=3; _kez; echo "${COMPREPLY[@]}"
