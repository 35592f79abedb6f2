#!/usr/bin/env bash
# Runs a command while tobrin-sim plays one terminal on a COM port of the
# tests' Wine prefix: address 1, SLAVE, 20 seeded records, at full speed.
#
#   with-sim.sh TOBRIN_SIM LINK -- COMMAND ARGS...
#
# LINK is the path the prefix maps the COM port to (KELMORA_WINE_PORTS/comN);
# the simulator points it at its pty before the command starts and is
# stopped when the command ends, whose exit status is the script's.
set -uo pipefail

if [ $# -lt 4 ] || [ "$3" != "--" ]; then
    echo "usage: with-sim.sh TOBRIN_SIM LINK -- COMMAND ARGS..." >&2
    exit 2
fi
sim=$1
link=$2
shift 3
[ -x "$sim" ] || { echo "with-sim.sh: $sim is missing (make test-windows builds it)" >&2; exit 1; }

rm -f "$link"
# The simulator runs in the machine's own locale, not in Wine's.
env -u LC_ALL -u LOCPATH "$sim" --terminal 1:slave --random 20 --seed 5 --fast --link "$link" \
    >/dev/null 2>&1 &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null' EXIT
for _ in $(seq 100); do
    [ -L "$link" ] && break
    sleep 0.1
done
[ -L "$link" ] || { echo "with-sim.sh: the simulator did not make $link" >&2; exit 1; }
"$@"
