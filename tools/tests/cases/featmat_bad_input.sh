# Damaged, foreign, missing files and folders: one line each, exit 1.
head -c 300 "$SAMPLES/stations.fm" >cut.fm
kez featmat check cut.fm; echo "rc=$?"
sed 's/fkDouble/fkComplex/' "$SAMPLES/stations.fm" >kind.fm
kez featmat show kind.fm; echo "rc=$?"
kez featmat check "$SAMPLES/notes.txt"; echo "rc=$?"
kez featmat check nosuch.fm; echo "rc=$?"
kez featmat check .; echo "rc=$?"
kez featmat; echo "rc=$?"
