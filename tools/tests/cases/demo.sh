# The tour over the samples, and the unit list.
kez demo "$SAMPLES"
kez units
kez demo nosuch; echo "rc=$?"
