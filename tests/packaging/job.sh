# shellcheck shell=bash
# Shared by the package tests (sourced): a whole job against tobrin-sim, the
# way the host application runs one, with the programs taken from a package.
#
# From the caller: TOBRIN_SIM (the Linux simulator) and WORK (a scratch
# directory). Every process started here is stopped when the script ends.

# shellcheck source=../support/processes.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/processes.sh"

# One SLAVE terminal at address 1 with three seeded records, on a pty that
# the link $1 points at. The simulator runs in the machine's own locale.
start_sim() {
    env -u LC_ALL -u LOCPATH "$TOBRIN_SIM" --terminal 1:slave --random 3 --seed 7 --link "$1" \
        >"$WORK/sim.out" 2>&1 &
    pids+=($!)
    wait_for 10 test -L "$1"
}

# Runs the command given as arguments in the background as the program under
# test; $program is its pid.
start_program() {
    "$@" 2>"$WORK/program.err" &
    program=$!
    pids+=("$program")
}

# Waits until the program logged into the event log $1 that T1 answered.
ready_or_ended() {
    grep -q "TERM 1 SLAVE" "$event_log" 2>/dev/null || ! kill -0 "$program" 2>/dev/null
}
wait_ready() {
    event_log=$1
    wait_for 60 ready_or_ended
    kill -0 "$program" 2>/dev/null ||
        fail "the program ended at start: $(cat "$WORK/program.err" "$event_log" 2>/dev/null)"
}

# The host's side in the data directory $1: a request file for T1 that reads
# the terminal's whole memory; then the answers must be there.
# The job is over when its output is there and the status pair is the job's
# own, not the 1,0 of the TERM line.
job_done() {
    [ ! -e "$data/request.cfg" ] && [ -e "$data/output.txt" ] &&
        [ -s "$data/rexcom.sta" ] && [ "$(tr -d '\r\n' <"$data/rexcom.sta")" != "1,0" ]
}
run_job() {
    data=$1
    rm -f "$data/output.txt" "$data/rexcom.sta"
    printf '%s\r\n' "TERM 1" "P" >"$data/request.part"
    mv "$data/request.part" "$data/request.cfg"
    wait_for 60 job_done
    [ "$(tr -d '\r\n' <"$data/rexcom.sta")" = "1,3" ] ||
        fail "the job's status pair is $(cat "$data/rexcom.sta"), not 1,3"
    grep -q '^Q' "$data/output.txt" || fail "output.txt holds no record: $(cat "$data/output.txt")"
}

# Stops the program as Ctrl+C does; it must end cleanly with "Stop programu"
# as the last line of its event log.
stop_program() {
    kill -INT "$program"
    local code=0
    wait "$program" || code=$?
    [ "$code" -eq 0 ] || fail "the program ended with $code after Ctrl+C: $(cat "$WORK/program.err")"
    [ "$(tail -n 1 "$event_log" | tr -d '\r' | cut -c 23-)" = "Stop programu" ] ||
        fail "the event log does not end with Stop programu"
}

# `COMMAND --version` must print "NAME <the project's version>".
expect_version() {
    local name=$1 got
    shift
    got=$("$@" --version 2>&1 | head -n 1 | tr -d '\r')
    [ "$got" = "$name $KELMORA_VERSION" ] || fail "$name --version says '$got'"
}
