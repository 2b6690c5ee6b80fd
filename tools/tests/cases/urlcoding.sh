# URL coding of arguments and of standard input's lines.
kez urlencode 'a b&c' 'x/y?z=1'
kez urldecode '%2541%20b' '100%'
printf 'one two\r\nthree\n' | kez urlencode
