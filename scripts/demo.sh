#!/usr/bin/env bash
# A whole job against the simulator: two simulated terminals on one line (a
# MASTER at address 1, a SLAVE at address 2), Kelmora on that line, and the
# host's side played by this script: it drops request files into the data
# directory and reads what Kelmora writes back.
#
# Everything lives under build/demo/. With a display (and KELMORA_DEMO_HEADLESS
# unset) Kelmora runs with its window, which stays open for the operator at
# the end; otherwise it runs headless and the demo stops by itself.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/bin
demo=$root/build/demo
data=$demo/data
link=$demo/ttyTOBRIN

say() { printf '\n== %s\n' "$*"; }

sim_pid=""
kelmora_pid=""
cleanup() {
    [ -n "$kelmora_pid" ] && kill -TERM "$kelmora_pid" 2>/dev/null && wait "$kelmora_pid" 2>/dev/null || true
    [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
}
trap cleanup EXIT

# Waits up to $2 seconds for the command in $1 to succeed.
wait_for() {
    local what=$1 limit=$2 i=0
    until eval "$what"; do
        i=$((i + 1))
        if [ "$i" -gt $((limit * 10)) ]; then
            echo "demo: gave up waiting for: $what" >&2
            exit 1
        fi
        sleep 0.1
    done
}

# The host's side: drop a request file (CR LF lines), wait until Kelmora has
# taken it and reported the end of the job in rexcom.sta.
run_request() {
    local before
    before=$(grep -c ' - -\?[0-9]*,-\?[0-9]*'$'\r''$' "$demo/errorlog.txt" || true)
    printf '%s\r\n' "$@" > "$data/request.cfg.part"
    mv "$data/request.cfg.part" "$data/request.cfg"
    wait_for '[ ! -e "$data/request.cfg" ]' 20
    # TERM reports 1,0 first; the job's own pair follows when it ends.
    wait_for '[ "$(grep -c " - -\?[0-9]*,-\?[0-9]*"$'"'"'\r'"'"'"\$" "$demo/errorlog.txt" || true)" -ge $((before + 2)) ]' 120
}

rm -rf "$demo"
mkdir -p "$data"
# The single-instance mark lives in the runtime directory: the demo's own, so
# a Kelmora running elsewhere on this machine is not disturbed.
mkdir -m 700 "$demo/run"

say "Starting tobrin-sim: terminal 1 MASTER, terminal 2 SLAVE, 19200 baud, on $link"
"$bin/tobrin-sim" --terminal 1:master --terminal 2:slave --link "$link" \
    --trace "$demo/trace.txt" >"$demo/sim.out" 2>&1 &
sim_pid=$!
wait_for '[ -L "$link" ]' 10

# The configuration: slots T1 (address 1) and T2 (address 2), both on COM1,
# which [Porty] maps to the simulator's line; everything else at its default.
default_cfg=01000100000000000000000004000000C40900000400000006000000010001726571756573742E636667000000006F75747075742E747874000000000000000114000000
cfg=010001020001${default_cfg:12}
printf '%s\r\n' "[Konfigurace]" "Cfg_binary=$cfg" "PATH_data=$data" "[Porty]" "COM1=$link" \
    >"$demo/kelmora.ini"

mode=--headless
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${KELMORA_DEMO_HEADLESS:-}" ]; then
    mode=""
fi
say "Starting kelmora ${mode:-with its window} (working directory $demo)"
(cd "$demo" && XDG_RUNTIME_DIR=$demo/run exec "$bin/kelmora" $mode --config "$demo/kelmora.ini") \
    2> >(tee "$demo/kelmora.out" >&2) &
kelmora_pid=$!
wait_for 'grep -q "TERM 2" "$demo/errorlog.txt" 2>/dev/null' 20
# A poll frame carries no address: on a line with a MASTER every terminal
# hears it, so T2 is classified MASTER too and is sent to after a poll.

say "Request 1: write three persons into terminal 1"
# A person record with credit: Q, number, eight hex digits, flag, the first,
# breakfast and dinner codes of the fourteen meals, name, one character, credit.
meals=11111111111111AAAAAAAAAAAAAA22222222222222
person() { printf 'Q%04d%s0%s%-14s %s' "$1" "$2" "$meals" "$3" "$4"; }
run_request "TERM 1" \
    "$(person 1 12345678 "NOVAK JAN" +00500)" \
    "$(person 2 12345679 "SVOBODA PETR" -00020)" \
    "$(person 3 CAFE0001 "DVORAK KAREL" +31000)"
cat "$data/rexcom.sta"

say "Request 2: download terminal 1's memory (P)"
run_request "TERM 1" "P"
echo "output.txt:"; cat "$data/output.txt"
echo "rexcom.sta:"; cat "$data/rexcom.sta"

say "Request 3: set and read back terminal 2's clock (T, S)"
run_request "TERM 2" "T26121004120000" "S"
echo "output.txt:"; cat "$data/output.txt"
echo "rexcom.sta:"; cat "$data/rexcom.sta"

if [ -z "$mode" ]; then
    say "Kelmora's window is open: drive the terminals from its buttons, close it to end the demo."
    wait "$kelmora_pid" || true
    kelmora_pid=""
fi

cleanup
kelmora_pid=""
sim_pid=""
say "Event log ($demo/errorlog.txt)"
iconv -f WINDOWS-1250 -t UTF-8 "$demo/errorlog.txt"
