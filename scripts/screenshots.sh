#!/usr/bin/env bash
# Pictures of Kelmora's window for review: every page, the window during a
# download, the dialogs and message boxes in Czech, an open drop-down list, the
# window's frame, a balloon before and after its time with the pointer on it,
# a second copy's message and a sheet of the program's pictures, at 100 % and
# 150 % scaling, into build/screenshots/100 and build/screenshots/150. The
# window runs under Xvfb with openbox and a trayer notification area (each
# left out, with its pictures, when it is not installed) against two
# simulated lines: COM1 with a SLAVE at address 1 (whose memory is
# downloaded) and nobody at address 7, COM2 with a MASTER at address 2, and
# COM3 that does not open, so the indicators show all four states.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${KELMORA_BIN:-$root/build/bin} # another build's programs, if given
out=$root/build/screenshots
work=$out/run

for program in kelmora-screenshots tobrin-sim kelmora; do
    if [ ! -x "$bin/$program" ]; then
        echo "screenshots: $bin/$program is missing (make build, with Qt 6 installed)" >&2
        exit 1
    fi
done

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

rm -rf "$out"
mkdir -p "$work"
chmod 700 "$work" # Qt wants its runtime directory private

# 300 persons: the download of the whole memory takes about four seconds.
"$bin/tobrin-sim" --terminal 1:slave --capacity 300 --random 250 --link "$work/ttyCOM1" \
    >"$work/sim1.out" 2>&1 &
pids+=($!)
"$bin/tobrin-sim" --terminal 2:master --capacity 300 --link "$work/ttyCOM2" \
    >"$work/sim2.out" 2>&1 &
pids+=($!)
for i in $(seq 100); do
    [ -L "$work/ttyCOM1" ] && [ -L "$work/ttyCOM2" ] && break
    sleep 0.1
done

# Slots: T1 address 1 on COM1, T2 address 2 on COM2, T3 address 7 on COM1,
# T4 address 1 on COM3; capacity 300; everything else at its default.
default_cfg=01000100000000000000000004000000C40900000400000006000000010001726571756573742E636667000000006F75747075742E747874000000000000000114000000
cfg=010001020101070001010201${default_cfg:24:8}2C010000${default_cfg:40}
mkdir -p "$work/data"
printf '%s\r\n' "[Konfigurace]" "Cfg_binary=$cfg" "PATH_data=$work/data" "[Porty]" \
    "COM1=$work/ttyCOM1" "COM2=$work/ttyCOM2" "COM3=$work/ttyCOM3-missing" >"$work/kelmora.ini"

# One desktop: the window manager and the notification area, then the tool.
cat >"$work/desktop.sh" <<'DESKTOP'
#!/usr/bin/env bash
set -u
desktop=()
if command -v openbox >/dev/null; then
    openbox --sm-disable >/dev/null 2>&1 &
    desktop+=($!)
else
    echo "screenshots: openbox is missing, no window frame" >&2
fi
if command -v trayer >/dev/null; then
    trayer --edge bottom --align right --widthtype pixel --width 160 --height 32 \
        --transparent false --tint 0xdcd5cc >/dev/null 2>&1 &
    desktop+=($!)
else
    echo "screenshots: trayer is missing, no notification area" >&2
fi
sleep 1
"$@"
status=$?
for pid in "${desktop[@]}"; do
    kill -TERM "$pid" 2>/dev/null
done
exit $status
DESKTOP
chmod +x "$work/desktop.sh"

shoot() {
    local scale=$1 dir=$2
    echo "screenshots: scale $scale into $dir"
    (cd "$work" && QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale XDG_RUNTIME_DIR=$work \
        ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} \
        xvfb-run -a -s "-screen 0 1600x1200x24" "$work/desktop.sh" \
        "$bin/kelmora-screenshots" --config "$work/kelmora.ini" --out "$dir" --download P \
        --program "$bin/kelmora")
}
shoot 1 "$out/100"
shoot 1.5 "$out/150"
echo "screenshots: done, see $out"
