# URL escapes stand for UTF-8 bytes; --latin1 gives the library's Windows-1252 form.
kez urldecode '%C3%BC' 'caf%C3%A9' '%E2%82%AC'
kez urlencode 'ü' 'a b€'
kez urlencode 'Zoë & co' | kez urldecode
printf '%%FC\n' | kez urldecode | od -An -tx1
kez urldecode --latin1 '%FC' '%C3%BC'
kez urlencode --latin1 'ü€'
