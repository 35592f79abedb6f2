#!/usr/bin/env bash
# The Windows packages under Wine, against tobrin-sim on COM1 of the tests'
# prefix (tests/wine/prepare-prefix.sh maps it to $KELMORA_WINE_PORTS/com1):
#
#   windows.sh zip  unpacked: the program, the INI beside it, tobrin-sim.exe,
#                   the manual's pages on the request file and the INI as
#                   text, their file properties and versions, the program's icon; a
#                   job with the INI as shipped, run from the unpacked folder,
#                   everything in that folder (tobrin-sim.exe itself serves a
#                   COM port in tests/wine: wine.headless.simulator)
#   windows.sh msi  the uninstaller's icon; msiexec /i /qn: Program
#                   Files\Kelmora and the shortcuts;
#                   a job with the installed kelmora.exe --headless, its
#                   configuration and event log in %APPDATA%\Kelmora;
#                   msiexec /x removes the program and keeps those
#
# From the environment: KELMORA_ZIP or KELMORA_MSI, KELMORA_VERSION,
# TOBRIN_SIM, KELMORA_WINE_PORTS, WORK, and Wine's variables for the prefix.
set -euo pipefail

mode=${1:-}
for v in KELMORA_VERSION TOBRIN_SIM KELMORA_WINE_PORTS WORK WINEPREFIX; do
    [ -n "${!v:-}" ] || { echo "windows.sh: $v is not set" >&2; exit 2; }
done
WORK=$WORK/$mode
# shellcheck source=job.sh
. "$(dirname "$0")/job.sh"
[ -x "$TOBRIN_SIM" ] || fail "$TOBRIN_SIM is missing"
rm -rf "$WORK"
mkdir -p "$WORK"

# The prefix's own path for a Windows one, and the other way round.
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_path() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }

case "$mode" in
zip)
    [ -f "${KELMORA_ZIP:-}" ] || fail "${KELMORA_ZIP:-the zip} is missing: make package builds it"
    unzip -q "$KELMORA_ZIP" -d "$WORK"
    folder=$WORK/kelmora-$KELMORA_VERSION-win64
    for f in kelmora.exe tobrin-sim.exe kelmora.ini README.txt kelmora-request.txt \
        kelmora-ini.txt; do
        [ -f "$folder/$f" ] || fail "the zip has no $f in its folder"
    done
    # The manual's pages as the Debian package has them, for Notepad: UTF-8
    # with its byte-order mark and CR LF.
    for text in "kelmora-request.txt:STATUS PAIRS" "kelmora-ini.txt:The Cfg_binary record"; do
        file=$folder/${text%%:*}
        [ "$(head -c 3 "$file")" = $'\xEF\xBB\xBF' ] || fail "$file has no byte-order mark"
        grep -q "^ *${text#*:}"$'\r$' "$file" || fail "$file lacks '${text#*:}' or CR LF"
        [ "$(grep -c $'\r$' "$file")" -eq "$(wc -l <"$file")" ] || fail "$file has LF line ends"
    done
    # Each program's file properties (VERSIONINFO holds its strings in UTF-16)
    # and its version.
    for program in "kelmora:Kelmora: relay to Tobrin meal terminals" \
        "tobrin-sim:tobrin-sim: Tobrin meal terminals on a COM port"; do
        name=${program%%:*}
        properties=$(strings -e l "$folder/$name.exe")
        for text in "$KELMORA_VERSION" "${program#*:}" "$name.exe"; do
            grep -qxF "$text" <<<"$properties" || fail "$name.exe's file properties lack '$text'"
        done
        expect_version "$name" wine "$folder/$name.exe"
    done
    # The program's icon: a group-icon resource (type 14) beside the version.
    # grep reads on to the end: with pipefail, one that quits at the match
    # (-q) leaves objdump to die of SIGPIPE, and the check fails by chance.
    x86_64-w64-mingw32-objdump -p "$folder/kelmora.exe" |
        grep -E '^[0-9a-f]{3}   Entry: ID: 0x00000e,' >/dev/null ||
        fail "kelmora.exe carries no icon"

    start_sim "$KELMORA_WINE_PORTS/com1"
    cd "$folder"
    start_program wine "$folder/kelmora.exe" --headless
    wait_ready "$folder/errorlog.txt"
    run_job "$folder"
    stop_program
    echo "windows.sh: the unpacked kelmora.exe ran a job with the INI beside it"
    ;;
msi)
    [ -f "${KELMORA_MSI:-}" ] || fail "${KELMORA_MSI:-the MSI} is missing: make package builds it"
    # The uninstaller entry's icon: the program's own, an icon file.
    msiinfo export "$KELMORA_MSI" Property | tr -d '\r' | grep -xF $'ARPPRODUCTICON\tkelmora.ico' >/dev/null ||
        fail "the MSI names no ARPPRODUCTICON"
    msiinfo extract "$KELMORA_MSI" Icon.kelmora.ico | file - | grep -q "MS Windows icon resource" ||
        fail "the MSI's icon is not an icon"
    appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
    settings=$(unix_path "$appdata\\Kelmora")
    installed=$(unix_path 'C:\Program Files\Kelmora')
    { [ -n "$settings" ] && [ -n "$installed" ]; } || fail "no path for %APPDATA% or Program Files"
    # What an earlier run may have left.
    wine msiexec /x "$KELMORA_MSI" /qn >/dev/null 2>&1 || true
    rm -rf "$settings"
    shortcuts() { find "$WINEPREFIX/drive_c" -name Kelmora.lnk | sort; }

    wine msiexec /i "$KELMORA_MSI" /qn || fail "msiexec /i ended with $?"
    [ -f "$installed/kelmora.exe" ] || fail "no kelmora.exe in Program Files\\Kelmora"
    # (Windows puts them into the common folders of a per-machine install,
    # Wine into the installing user's.)
    grep -q "Start Menu/Programs/Kelmora.lnk" <<<"$(shortcuts)" ||
        fail "no Start-menu shortcut: $(shortcuts)"
    grep -qi "Programs/Startup/Kelmora.lnk" <<<"$(shortcuts)" ||
        fail "no shortcut in the Startup folder: $(shortcuts)"
    expect_version kelmora wine 'C:\Program Files\Kelmora\kelmora.exe'

    # The operator's configuration where the installed program looks for
    # it: the defaults, with a data directory of this test.
    data=$WORK/data
    mkdir -p "$data" "$settings"
    printf '%s\r\n' "[Konfigurace]" "PATH_data=$(windows_path "$data")" >"$settings/kelmora.ini"
    start_sim "$KELMORA_WINE_PORTS/com1"
    cd "$WORK"
    start_program wine 'C:\Program Files\Kelmora\kelmora.exe' --headless
    wait_ready "$settings/errorlog.txt"
    run_job "$data"
    stop_program
    [ ! -e "$WORK/errorlog.txt" ] || fail "the installed program logged into its start directory"

    wine msiexec /x "$KELMORA_MSI" /qn || fail "msiexec /x ended with $?"
    [ ! -e "$installed/kelmora.exe" ] || fail "msiexec /x left kelmora.exe"
    [ -z "$(shortcuts)" ] || fail "msiexec /x left shortcuts: $(shortcuts)"
    { [ -f "$settings/kelmora.ini" ] && [ -f "$settings/errorlog.txt" ]; } ||
        fail "msiexec /x did not keep the configuration and the event log"
    echo "windows.sh: installed, ran a job from Program Files, uninstalled, kept %APPDATA%\\Kelmora"
    ;;
*)
    echo "usage: windows.sh zip|msi" >&2
    exit 2
    ;;
esac
