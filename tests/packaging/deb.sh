#!/usr/bin/env bash
# The Debian package, unpacked into a scratch root as dpkg would lay it out:
#
#   deb.sh contents  the files, the conffiles, the dependencies, --version,
#                    the manual pages as man shows them (no warning from
#                    groff -ww), the event log's logrotate rule at work
#   deb.sh job       a whole job with the unpacked kelmora --headless and the
#                    shipped conffile against the unpacked tobrin-sim
#   deb.sh unit      systemd-analyze verify, an exposure of 1.0 or less, and
#                    the unit and the program agreeing: the data directory's
#                    owner and mode left to the administrator, no restart of
#                    a service without its configuration
#   deb.sh lintian   no error and no warning
#   deb.sh scripts   the maintainer scripts pass sh -n and shellcheck
#
# From the environment: KELMORA_DEB, KELMORA_VERSION, WORK.
set -euo pipefail

mode=${1:-}
for v in KELMORA_DEB KELMORA_VERSION WORK; do
    [ -n "${!v:-}" ] || { echo "deb.sh: $v is not set" >&2; exit 2; }
done
WORK=$WORK/$mode
export TOBRIN_SIM=$WORK/root/usr/bin/tobrin-sim
# shellcheck source=job.sh
. "$(dirname "$0")/job.sh"
[ -f "$KELMORA_DEB" ] || fail "$KELMORA_DEB is missing: make package builds it"

rm -rf "$WORK"
mkdir -p "$WORK"
root=$WORK/root
dpkg-deb -x "$KELMORA_DEB" "$root"
dpkg-deb -e "$KELMORA_DEB" "$WORK/DEBIAN"

case "$mode" in
contents)
    for f in usr/bin/kelmora usr/bin/tobrin-sim etc/kelmora/kelmora.ini etc/logrotate.d/kelmora \
        lib/systemd/system/kelmora.service usr/share/applications/kelmora.desktop \
        usr/share/doc/kelmora/copyright usr/share/doc/kelmora/changelog.gz \
        usr/share/man/man1/kelmora.1.gz usr/share/man/man1/tobrin-sim.1.gz \
        usr/share/man/man5/kelmora-request.5.gz usr/share/man/man5/kelmora.ini.5.gz; do
        [ -e "$root/$f" ] || fail "the package has no /$f"
    done
    # The menu's icon at the hicolor theme's sizes, each a PNG of its size.
    for size in 16 22 24 32 48 64 128 256; do
        icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/kelmora.png
        file "$icon" | grep -q "PNG image data, $size x $size," ||
            fail "no ${size}x${size} icon: $(file "$icon")"
    done
    grep -qx "Icon=kelmora" "$root/usr/share/applications/kelmora.desktop" ||
        fail "the desktop entry does not name the icon"
    [ "$(cat "$WORK/DEBIAN/conffiles")" = "$(printf '%s\n' /etc/kelmora/kelmora.ini \
        /etc/logrotate.d/kelmora)" ] || fail "the conffiles are: $(cat "$WORK/DEBIAN/conffiles")"
    # Every page renders without a warning of groff's (-ww: all of them).
    for page in "$root"/usr/share/man/man[15]/*.gz; do
        warnings=$(MANROFFOPT=-ww MANWIDTH=80 man -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
    done
    # Filled and justified at 80 columns, no line of running text in the
    # commands' pages has a gap of four blanks (a word too long for its line
    # spreads the rest apart); the file formats' pages have tables.
    for page in "$root"/usr/share/man/man1/*.1.gz; do
        gaps=$(MANWIDTH=80 man -l "$page" 2>/dev/null | col -bx | sed '1d;$d' |
            grep -E '[^ ] {4,}[^ ]' || true)
        [ -z "$gaps" ] || fail "$(basename "$page") renders with wide gaps: $gaps"
    done
    # The event log's rule rotates a log grown past its bound, as logrotate
    # would run it daily (here on a copy of the log, as this user).
    mkdir -p "$WORK/log"
    head -c 11M /dev/zero >"$WORK/log/errorlog.txt"
    sed -e "s|/var/log/kelmora/|$WORK/log/|" -e "s|su kelmora kelmora|su $(id -un) $(id -gn)|" \
        "$root/etc/logrotate.d/kelmora" >"$WORK/logrotate.conf"
    logrotate -s "$WORK/logrotate.state" "$WORK/logrotate.conf" ||
        fail "logrotate refused the rule: $(cat "$root/etc/logrotate.d/kelmora")"
    if [ ! -s "$WORK/log/errorlog.txt.1" ] || [ -e "$WORK/log/errorlog.txt" ]; then
        fail "the rule did not rotate a log of 11 MiB: $(ls -l "$WORK/log")"
    fi
    depends=$(dpkg-deb -f "$KELMORA_DEB" Depends)
    for d in libqt6widgets6 libstdc++6 adduser qt6-translations-l10n; do
        [[ ", $depends," == *", $d"[\ ,]* ]] || fail "Depends lacks $d: $depends"
    done
    expect_version kelmora "$root/usr/bin/kelmora"
    expect_version tobrin-sim "$root/usr/bin/tobrin-sim"
    echo "deb.sh: $(dpkg-deb -c "$KELMORA_DEB" | grep -vc '/$') files; Depends: $depends"
    ;;
job)
    # The shipped conffile, with the data directory and the example port
    # line pointed at this test's directory and simulator.
    data=$WORK/data
    mkdir -p "$data"
    sed -e "s|^PATH_data=.*|PATH_data=$data|" -e 's|^;\[Porty\]|[Porty]|' \
        -e "s|^;COM1=.*|COM1=$WORK/ttyTOBRIN|" "$root/etc/kelmora/kelmora.ini" >"$WORK/kelmora.ini"
    grep -q "^COM1=$WORK/ttyTOBRIN" "$WORK/kelmora.ini" || fail "the conffile has no COM1 example"
    start_sim "$WORK/ttyTOBRIN"
    mkdir -p "$WORK/start"
    cd "$WORK/start"
    start_program env XDG_RUNTIME_DIR="$WORK" "$root/usr/bin/kelmora" --headless \
        --config "$WORK/kelmora.ini"
    wait_ready "$WORK/start/errorlog.txt"
    run_job "$data"
    stop_program
    echo "deb.sh: the unpacked kelmora ran a job against the unpacked tobrin-sim"
    ;;
unit)
    # verify resolves the unit's dependencies and its ExecStart inside the
    # root, so the root gets the system's own units beside the package's.
    mkdir -p "$root/usr/lib/systemd"
    cp -r /lib/systemd/system "$root/usr/lib/systemd/"
    cp "$root/lib/systemd/system/kelmora.service" "$root/usr/lib/systemd/system/"
    # (--man=no: the unit's manual page is in the package, not on this machine.)
    findings=$(systemd-analyze verify --man=no --root="$root" kelmora.service 2>&1) ||
        fail "systemd-analyze verify: $findings"
    [ -z "$findings" ] || fail "systemd-analyze verify: $findings"
    unit=$root/lib/systemd/system/kelmora.service
    report=$(systemd-analyze security --offline=yes --no-pager "$unit" 2>&1) ||
        fail "systemd-analyze security: $report"
    score=$(sed -n 's/.*Overall exposure level for kelmora.service: \([0-9.]*\).*/\1/p' <<<"$report")
    [ -n "$score" ] || fail "no exposure level in: $report"
    awk -v s="$score" 'BEGIN { exit !(s <= 1.0) }' ||
        fail "exposure level $score is above 1.0: $(grep '✗' <<<"$report")"
    # The postinst makes /var/lib/kelmora once and leaves its owner and mode
    # to the administrator: systemd would set them at every start for a
    # StateDirectory=. The service may write there all the same.
    ! grep -q '^StateDirectory' "$unit" || fail "the unit manages the data directory: $(grep '^State' "$unit")"
    grep -qx 'ReadWritePaths=-/var/lib/kelmora' "$unit" || fail "the unit may not write /var/lib/kelmora"
    # A service without its configuration ends, and the unit does not start
    # it again and again: the exit status is one it does not restart.
    mkdir -p "$WORK/etc" "$WORK/log"
    code=0
    (cd "$WORK/log" && env NOTIFY_SOCKET="$WORK/nobody" CONFIGURATION_DIRECTORY="$WORK/etc" \
        LOGS_DIRECTORY="$WORK/log" timeout 20 "$root/usr/bin/kelmora" --headless \
        --config "$WORK/etc/kelmora.ini" 2>"$WORK/program.err") || code=$?
    grep -q "Konfiguraci nelze načíst" "$WORK/program.err" ||
        fail "a service without configuration said: $(cat "$WORK/program.err")"
    grep -qx "RestartPreventExitStatus=$code" "$unit" ||
        fail "the service ends with $code without configuration; the unit restarts that"
    echo "deb.sh: kelmora.service verified; exposure level $score"
    ;;
lintian)
    findings=$(lintian --no-tag-display-limit "$KELMORA_DEB" 2>&1) || true
    if grep -q '^[EW]:' <<<"$findings"; then
        fail "lintian: $findings"
    fi
    echo "deb.sh: lintian found no error and no warning${findings:+ ($(grep -c . <<<"$findings") notes)}"
    ;;
scripts)
    for s in postinst prerm postrm; do
        sh -n "$WORK/DEBIAN/$s" || fail "sh -n $s"
        shellcheck -s sh "$WORK/DEBIAN/$s" || fail "shellcheck $s"
    done
    echo "deb.sh: postinst, prerm and postrm pass sh -n and shellcheck"
    ;;
*)
    echo "usage: deb.sh contents|job|unit|lintian|scripts" >&2
    exit 2
    ;;
esac
