#!/usr/bin/env bash
# Runs one Windows test program under Wine and passes on its output and status:
#
#   run.sh env VARIABLES... wine PROGRAM.exe ARGS...
#
# Now and then (seen once in some hundreds of starts), Wine ends with status 1
# before the program has run at all: nothing on stdout or stderr. A GoogleTest
# program prints, and flushes, its first lines before its first test starts
# (and when it only lists its tests), so a silent end means that no test ran;
# when it hits the listing of a program's tests, CTest stops with no test run.
# So a start that ends with a failure and without a byte of output is tried
# again, twice at most, and said on stderr. A program that printed anything
# has run: its status stands as it is.
set -u

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND ARGS..." >&2
    exit 2
fi
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT

attempts=3
for attempt in $(seq 1 $attempts); do
    "$@" | tee "$out"
    status=${PIPESTATUS[0]}
    if [ "$status" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq "$attempts" ]; then
        exit "$status"
    fi
    echo "wine/run.sh: Wine ended with status $status before the program printed" \
        "anything (start $attempt of $attempts); starting it again" >&2
done
