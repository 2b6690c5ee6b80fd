# A feature matrix as tables; check says whether a file is sound.
kez featmat show "$SAMPLES/stations.fm"
kez featmat check - <"$SAMPLES/stations.fm"; echo "rc=$?"
