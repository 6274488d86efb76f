#!/bin/sh
# Drives k330-terminal under a virtual X server like a user: "&Создать", pick K-330RB,
# "&Сохранить", type a file name into the file dialog. Then checks the saved bytes.
# Usage: create_save.sh <path to k330-terminal>   (needs Xvfb, xdotool, python3)
set -eu
app=$1
. "$(dirname "$0")/sandbox.sh"
target="$work/new-rb.mcd"

cat > "$work/drive.sh" <<DRIVE
#!/bin/sh
set -eu
export QT_QPA_PLATFORM=xcb
"$app" --lang ru > "$work/app.out" 2>&1 &
pid=\$!
find_window() { # title, then tries
    i=0
    while [ \$i -lt 100 ]; do
        id=\$(xdotool search --name "^\$1\\\$" 2>/dev/null | head -n 1 || true)
        if [ -n "\$id" ]; then echo "\$id"; return 0; fi
        sleep 0.1; i=\$((i + 1))
    done
    echo "window '\$1' did not appear" >&2
    kill \$pid; return 1
}
main=\$(find_window "Терминал контроллеров системы К-330С")
# No window manager: give the focus directly, then type as the user would.
xdotool windowfocus --sync "\$main"
xdotool key ctrl+n
dialog=\$(find_window "Cоздание новой конфигурации")
xdotool windowfocus --sync "\$dialog" 2>/dev/null || true
sleep 0.3
xdotool key Down Return
sleep 0.5
xdotool windowfocus --sync "\$main" 2>/dev/null || true
xdotool key ctrl+s
save=\$(find_window "Сохранить файл")
xdotool windowfocus --sync "\$save" 2>/dev/null || true
sleep 0.5
xdotool type --delay 5 "$target"
xdotool key Return
i=0
while [ ! -s "$target" ] && [ \$i -lt 50 ]; do sleep 0.1; i=\$((i + 1)); done
sleep 0.3
kill \$pid 2>/dev/null || true
wait \$pid 2>/dev/null || true
DRIVE
chmod +x "$work/drive.sh"
run_under_xvfb "$work/drive.sh" || true

if [ ! -f "$target" ]; then
    echo "FAIL: no file was saved"
    cat "$work/app.out"
    exit 1
fi
python3 - "$target" <<'CHECK'
import datetime, sys
data = open(sys.argv[1], "rb").read()
def crc16_usb(b):
    c = 0xFFFF
    for x in b:
        c ^= x
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
    return c ^ 0xFFFF
today = datetime.date.today()
errors = []
if len(data) != 402:
    errors.append("size %d, not 402" % len(data))
else:
    if data[388:390] != b"\x01\x03":
        errors.append("model bytes %s" % data[388:390].hex())
    if data[390:392] != b"\x01\x02":
        errors.append("version bytes %s" % data[390:392].hex())
    date = (int.from_bytes(data[184:186], "little"), data[186], data[187])
    if date != (today.year, today.month, today.day):
        errors.append("date %r, not today" % (date,))
    crc = crc16_usb(data[2:])
    if data[0:2] != crc.to_bytes(2, "big"):
        errors.append("checksum %s, expected %04x" % (data[0:2].hex(), crc))
if errors:
    print("FAIL: " + "; ".join(errors))
    sys.exit(1)
print("PASS: 402 bytes, K-330RB, version 2.1, today's date, CRC-16/USB %s" % data[0:2].hex())
CHECK
