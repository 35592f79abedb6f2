# shellcheck shell=bash
# Shared by the test scripts that run the programs as processes (sourced):
# every process put into `pids` is stopped with SIGINT when the script ends
# (or at stop_all), a failure names the script, and bounded waits.

pids=()
stop_all() {
    for pid in "${pids[@]}"; do
        kill -INT "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    pids=()
}
trap stop_all EXIT

fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Waits up to $1 seconds for the command after it to succeed; the bound only
# stops a hang.
wait_for() {
    local limit=$1 i=0
    shift
    until "$@"; do
        i=$((i + 1))
        [ "$i" -le $((limit * 10)) ] || fail "gave up waiting for: $*"
        sleep 0.1
    done
}
