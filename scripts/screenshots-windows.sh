#!/usr/bin/env bash
# Pictures of the Windows program's Win32 window for review, at 96 and 144
# DPI, into build/screenshots-windows/96 and .../144: the start with its
# balloon in the notification area, every page, the window during a download
# with its progress balloon and after it, a long status pair, the
# notification-area menu, the message boxes, the dialogs and the message of a
# second copy of kelmora.exe. kelmora-screenshots.exe runs
# under Xvfb inside Wine's virtual desktop (which has a task bar with a
# notification area) against two simulated lines: COM1 with a SLAVE at
# address 1 (whose memory is downloaded) and nobody at address 7, COM2 with a
# MASTER at address 2, and COM3 that does not open, so the indicators show
# all four states. Its own Wine prefix: build/screenshots-windows/prefix.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
win_bin=${KELMORA_WIN_BIN:-$root/build/windows/bin}
bin=${KELMORA_BIN:-$root/build/bin}
out=$root/build/screenshots-windows
work=$out/run
export WINEPREFIX=$out/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH=$out/locale

for program in "$win_bin/kelmora-screenshots.exe" "$win_bin/kelmora.exe" "$bin/tobrin-sim"; do
    if [ ! -f "$program" ]; then
        echo "screenshots-windows: $program is missing (make build-windows builds both)" >&2
        exit 1
    fi
done

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

rm -rf "$work" "$out/96" "$out/144"
mkdir -p "$work/data" "$LOCPATH"
if [ ! -d "$LOCPATH/cs_CZ.UTF-8" ]; then
    localedef -i cs_CZ -f UTF-8 "$LOCPATH/cs_CZ.UTF-8"
fi
# Wine in Czech: its own dialogs and menus, and Windows-1250 as the ANSI code page.
wine() { env LC_ALL=cs_CZ.UTF-8 wine "$@"; }

# 300 persons: the download of the whole memory takes about four seconds,
# time enough for the progress balloon of the line before it to show.
# A slow terminal's turnaround (40 ms): under Wine with X on a loaded
# machine, the wait after a frame can take longer than the default 10 ms,
# and the input emptied after it then loses the acknowledgement.
"$bin/tobrin-sim" --terminal 1:slave --capacity 300 --random 300 --turnaround 40 \
    --link "$work/ttyCOM1" --trace "$work/trace1.txt" >"$work/sim1.out" 2>&1 &
pids+=($!)
"$bin/tobrin-sim" --terminal 2:master --capacity 300 --turnaround 40 --link "$work/ttyCOM2" \
    >"$work/sim2.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -L "$work/ttyCOM1" ] && [ -L "$work/ttyCOM2" ] && break
    sleep 0.1
done

# Slots: T1 address 1 on COM1, T2 address 2 on COM2, T3 address 7 on COM1,
# T4 address 1 on COM3; capacity 300; everything else at its default.
default_cfg=01000100000000000000000004000000C40900000400000006000000010001726571756573742E636667000000006F75747075742E747874000000000000000114000000
cfg=010001020101070001010201${default_cfg:24:8}2C010000${default_cfg:40}
printf '%s\r\n' "[Konfigurace]" "Cfg_binary=$cfg" "PATH_data=Z:${work//\//\\}\\data" \
    >"$work/kelmora.ini"

# The prefix: its COM ports lead to the simulators, and the DPI of the run.
settings() {
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
        for n in 1 2 3; do
            printf '"COM%d"="%s/ttyCOM%d"\r\n' "$n" "$work" "$n"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$1"
    } >"$work/settings.reg"
    wineserver -k 2>/dev/null || true
    wine regedit /S "$work/settings.reg" >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# Wine's tahomabd.ttf is bold only in its bitmaps (up to 16 pixels); its
# outlines, which every bold text at 144 DPI is drawn from, title bars
# included, are the regular ones. Without the file Wine makes the bold from
# Tahoma's outlines, as Windows draws its bold fonts; at 96 DPI the bitmaps
# are the bold.
bold_font() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [ "$1" -gt 96 ]; then
        rm -f "$fonts/tahomabd.ttf"
    else
        cp /usr/share/wine/fonts/tahomabd.ttf "$fonts/"
    fi
}

shoot() {
    local dpi=$1 size=$2
    echo "screenshots-windows: $dpi DPI into $out/$dpi"
    bold_font "$dpi"
    settings "$dpi"
    (cd "$work" && xvfb-run -a -s "-screen 0 ${size}x24" \
        env LC_ALL=cs_CZ.UTF-8 wine explorer "/desktop=Kelmora,$size" \
        "$win_bin/kelmora-screenshots.exe" --config "Z:${work//\//\\}\\kelmora.ini" \
        --out "Z:${out//\//\\}\\$dpi" --download P \
        --program "Z:${win_bin//\//\\}\\kelmora.exe") 2>&1 | grep -v '^$' || true
    local count
    count=$(find "$out/$dpi" -name '*.png' 2>/dev/null | wc -l)
    [ "$count" -ge 18 ] || { echo "screenshots-windows: only $count pictures at $dpi DPI" >&2; exit 1; }
}

[ -d "$WINEPREFIX" ] || wine cmd /c exit >/dev/null 2>&1
# Wine's own fonts (fonts-wine): Tahoma for the text, Marlett for the title
# bars' buttons. This Wine finds them only in the prefix's Fonts folder.
# Their small sizes are bitmaps drawn without smoothing, where the ring of
# a "ů" runs into its "u"; Windows draws it plainly.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null ||
    { echo "screenshots-windows: no fonts in /usr/share/wine/fonts (package fonts-wine)" >&2; exit 1; }
shoot 96 1024x768
shoot 144 1536x1152
echo "screenshots-windows: done, see $out/96 and $out/144"
