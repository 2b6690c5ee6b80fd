# String tables by identifier; column 0 shown when it holds labels.
kez strarray show "$SAMPLES/tables.xml"
kez strarray show --id RIVERS - <"$SAMPLES/tables.xml"
kez strarray show --id lakes "$SAMPLES/tables.xml"; echo "rc=$?"
sed 's/c="3" r="2"/c="9" r="2"/' "$SAMPLES/tables.xml" >bad.xml
kez strarray show bad.xml; echo "rc=$?"
kez strarray show nosuch.xml; echo "rc=$?"
kez strarray list "$SAMPLES/tables.xml"
printf "<strarray>" | kez strarray show; echo "rc=$?"
