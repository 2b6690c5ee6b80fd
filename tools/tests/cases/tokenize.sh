# Tokens one per line or joined; escapes keep delimiters; an escape is one character.
printf 'a,b,,c\n' | kez tokenize -d ,
printf 'a\\,b,c\r\nx::y\n' | kez tokenize -d , -e '\' --join ' | '
printf 'k1::v1::v2\n' | kez tokenize --delimiter :: --join '|'
kez tokenize -d , -e ab </dev/null; echo "rc=$?"
kez tokenize </dev/null; echo "rc=$?"
