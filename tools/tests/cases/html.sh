# Templates filled from NAME=VALUE, as a fragment or a whole page; unknown tags named.
kez html "$SAMPLES/page.tpl" title='Report <1>' station=Graz VALUE=12.5 date=2026-03-02 author='Zoë'
kez html - title=x <"$SAMPLES/page.tpl" -o frag.html; echo "rc=$?"
grep -c '<#' frag.html
kez html --page "$SAMPLES/page.tpl" title='A & B' station=Graz value=1 date=d author=a | tr -d '\r' | head -6
kez html "$SAMPLES/page.tpl" novalue; echo "rc=$?"
kez html nosuch.tpl; echo "rc=$?"
printf '<html><body><p>Caf&eacute; &amp; <b>bar</b></p><p>two</p></body></html>' | kez htmltext
