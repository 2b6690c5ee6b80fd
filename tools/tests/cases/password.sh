# Passwords have the promised shape and differ from each other; lengths outside 4..14 are
# usage errors.
kez password | grep -cE '^[a-z]{6}[0-9]{2}$'
kez password --length 5 --count 20 | grep -cE '^[aeiouy]([b-df-hj-np-tv-xz][aeiouy])[0-9]{2}$'
kez password -l 14 -c 20 | grep -cE '^([b-df-hj-np-tv-xz][aeiouy]){3}[0-9]{2}([b-df-hj-np-tv-xz][aeiouy]){3}$'
kez password -l 10 --mixed --special -c 200 | grep -cE '^[A-Za-z0-9_!$%#=]{10}$'
kez password -l 10 --mixed -c 200 | grep -c '[A-Z]' | awk '{print ($1 > 150)}'
kez password -c 50 | sort -u | wc -l
kez password --length 3; echo "rc=$?"
kez password --count 0; echo "rc=$?"
