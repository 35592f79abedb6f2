#!/usr/bin/env bash
# Sets up the Wine prefix the Windows tests run in, under DIR:
#
#   DIR/prefix   the WINEPREFIX, 64-bit only, quiet, without Mono and Gecko,
#                with the null display driver: windows work with no X server
#   DIR/ports    comN: the links COM1 to COM255 are mapped to in the registry
#   DIR/locale   cs_CZ.UTF-8, so that Wine's ANSI code page is Windows-1250
#
# and leaves the prefix's server running (wineserver -p) after one warm-up
# run, so that a test does not pay for Wine's start. Stop it afterwards with
# `WINEPREFIX=DIR/prefix wineserver -k`.
#
# COM ports go through the registry, never through dosdevices: Wine rewrites
# dosdevices/comN whenever its server starts and points them at the machine's
# real ports. Mapping every COM name Wine can map leaves a real port only
# COM256, which no test opens; the script checks the result and refuses to go
# on if any COM name from COM1 to COM255 leads anywhere but DIR/ports.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)
ports="$dir/ports"
log="$dir/prepare.log"
mkdir -p "$ports" "$dir/locale"
: >"$log"

export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$dir/locale"

if [ ! -d "$LOCPATH/cs_CZ.UTF-8" ]; then
    localedef -i cs_CZ -f UTF-8 "$LOCPATH/cs_CZ.UTF-8" >>"$log" 2>&1 ||
        { echo "prepare-prefix: cannot build the cs_CZ.UTF-8 locale (package locales?)" >&2; exit 1; }
fi
# Through env, so that this shell itself never switches to the locale.
wine() { env LC_ALL=cs_CZ.UTF-8 wine "$@"; }

# The registry settings, written once per prefix and ports directory.
stamp="$dir/ports.stamp"
settings="$ports null-display"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$settings" ] || [ ! -d "$WINEPREFIX" ]; then
    wineserver -k >>"$log" 2>&1 || true
    wine cmd /c exit >>"$log" 2>&1 # creates the prefix
    reg="$dir/ports.reg"
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
        for n in $(seq 1 255); do
            printf '"COM%d"="%s/com%d"\r\n' "$n" "$ports" "$n"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="null"\r\n'
    } >"$reg"
    wine regedit /S "$reg" >>"$log" 2>&1
    # The mapping takes effect when the server starts again.
    wineserver -k >>"$log" 2>&1 || true
    wineserver -w >>"$log" 2>&1 || true
    echo "$settings" >"$stamp"
fi

# Warm-up: a persistent server and one run, so the tests find Wine started.
wineserver -p 2>/dev/null || true # already running: fine
wine cmd /c exit >>"$log" 2>&1

bad=0
for n in $(seq 1 255); do
    link="$WINEPREFIX/dosdevices/com$n"
    target=$(readlink "$link" || true)
    if [ "$target" != "$ports/com$n" ]; then
        echo "prepare-prefix: COM$n leads to '${target:-nothing}', not to $ports/com$n" >&2
        bad=1
    fi
done
if [ "$bad" -ne 0 ]; then
    wineserver -k 2>/dev/null || true
    echo "prepare-prefix: the COM ports are not safely mapped; no test may run" >&2
    exit 1
fi
echo "prepare-prefix: Wine ready in $WINEPREFIX, COM1 to COM255 mapped to $ports"
