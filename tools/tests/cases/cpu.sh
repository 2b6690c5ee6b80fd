# The processor's report has its lines; the clock is measured only when asked to.
kez cpu --delay 20 | cut -c1-12 | uniq
kez cpu -d 20 | grep -cE '^speed +[1-9][0-9]*\.[0-9] MHz'
kez cpu -d 0 | grep -c speed
kez cpu -d 10001; echo "rc=$?"
