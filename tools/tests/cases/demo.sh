# The tour over the samples, and the unit list.
kez demo "$SAMPLES" --pictures pics
ls pics
kez units
kez demo nosuch; echo "rc=$?"
