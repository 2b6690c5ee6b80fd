# --adobe speaks the common Ascii85 form: Python's base64.a85encode/a85decode agree on random
# bytes of every short length and some long ones. Foreign or damaged text never decodes to
# bytes with status 0, in either form.
python3 - <<'PY'
import base64, random, subprocess
def kez(args, data):
    r = subprocess.run(["kez", "ascii85"] + args, input=data, capture_output=True)
    return r.returncode, r.stdout
rng = random.Random(7)
lengths = list(range(0, 13)) + [64, 999, 70001]
bad = 0
for n in lengths:
    for zeros in (False, True):
        data = bytes(0 if zeros and rng.random() < 0.5 else rng.randrange(256) for _ in range(n))
        ours = kez(["encode", "--adobe"], data)
        if ours != (0, base64.a85encode(data, adobe=True) + b"\n"):
            bad += 1; print("encode differs at length", n)
        back = kez(["decode", "--adobe"], base64.a85encode(data, adobe=True, wrapcol=70))
        if back != (0, data):
            bad += 1; print("decode differs at length", n)
        if n and base64.a85decode(ours[1].strip(), adobe=True) != data:
            bad += 1; print("python reads ours wrongly at length", n)
        # The other form is refused by each decoder, never misread.
        for form, args in ((base64.a85encode(data), ["decode"]),
                           (base64.a85encode(data, adobe=True), ["decode"]),
                           (kez(["encode"], data)[1], ["decode", "--adobe"])):
            rc, out = kez(args, form)
            if rc == 0 and out != data:
                bad += 1; print("foreign form misread at length", n, args)
print("mismatches:", bad)
PY
printf 'hello\n' | python3 -c 'import base64,sys; sys.stdout.buffer.write(base64.a85encode(sys.stdin.buffer.read()))' >py.a85
kez ascii85 decode py.a85; echo "rc=$?"
printf '<~BOu!rDdR6~>' | kez ascii85 decode; echo "rc=$?"
for damaged in '<~BOu!rDdR6' '<~BOu!rD~>x' '<~B~>' '<~s8W-"~>' '<~BOz!r~>' '<~BO{u!~>'; do
  printf '%s' "$damaged" | kez ascii85 decode --adobe -o out; echo "rc=$?"
done
ls
