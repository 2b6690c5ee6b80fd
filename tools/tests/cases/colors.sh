# Colours by name, web and library hexadecimal and HSI; the list of names.
kez color rebeccapurple
kez color '#FF8000'
kez color 00FF0000
kez color --hsi 120 1 0.5
kez colors | head -3
kez colors | wc -l
kez color nosuchcolour; echo "rc=$?"
kez color '#12345'; echo "rc=$?"
kez color --hsi 1 0.5; echo "rc=$?"
kez color red --hsi 1 0.5 0.5; echo "rc=$?"
kez color; echo "rc=$?"
kez color --hsi 400 2 -1; echo "rc=$?"
kez color --hsi 120 1 2; echo "rc=$?"
