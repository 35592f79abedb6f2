#!/usr/bin/env bash
# The Windows program under Wine, headless, as the host application meets it,
# against tobrin-sim on a pty. COM1 of the tests' Wine prefix is mapped to
# $KELMORA_WINE_PORTS/com1; the simulator makes that link point at its pty
# before the program starts.
#
#   headless.sh end-to-end      the same request file through the Linux build
#                               and through kelmora.exe: output.txt, rexcom.sta
#                               and binarni.bin must be byte for byte the same
#   headless.sh network         the same request file through the Linux build
#                               on its pty and through kelmora.exe over
#                               Debian's ser2net in front of the same kind of
#                               pty: COM1=rfc2217://127.0.0.1:port, then
#                               COM1=tcp://127.0.0.1:port; the same files
#   headless.sh single-instance a second kelmora.exe in the same prefix exits
#                               with -1 and says so; the first goes on
#   headless.sh simulator       the same request file through the Linux build
#                               and through kelmora.exe against tobrin-sim.exe
#                               on COM2, wired to COM1 by null-modem: the same
#                               files; tobrin-sim.exe stops cleanly on Ctrl+C
#   headless.sh request         kelmora.exe request against kelmora.exe: the
#                               answers, the pair and the exit status; a host's
#                               request waiting for its turn is not replaced
#                               and both jobs run, each to its owner; without
#                               a running kelmora.exe, its message and 5
#
# From the environment: KELMORA_EXE (the Windows program), KELMORA_NATIVE and
# TOBRIN_SIM (Linux programs), KELMORA_WINE_PORTS, WORK (a scratch directory),
# and Wine's own variables (WINEPREFIX and the rest) for the tests' prefix;
# for `simulator` also TOBRIN_SIM_EXE and NULL_MODEM (the build machine's).
set -euo pipefail

mode=${1:-}
for v in KELMORA_EXE KELMORA_NATIVE TOBRIN_SIM KELMORA_WINE_PORTS WORK WINEPREFIX; do
    if [ -z "${!v:-}" ]; then
        echo "headless.sh: $v is not set" >&2
        exit 2
    fi
done
[ -f "$KELMORA_EXE" ] || { echo "headless.sh: $KELMORA_EXE is missing" >&2; exit 1; }
for p in "$KELMORA_NATIVE" "$TOBRIN_SIM"; do
    if [ ! -x "$p" ]; then
        echo "headless.sh: $p is missing: build the Linux programs first (make test-windows does)" >&2
        exit 1
    fi
done

# The Linux programs run in the machine's own locale, not in Wine's.
native=(env -u LC_ALL -u LOCPATH)

# shellcheck source=../support/processes.sh
. "$(dirname "$0")/../support/processes.sh"

# One terminal, address 1, SLAVE, with seeded records so that every run starts
# from the same memory, paced at the line speed with its turnaround like a real
# one (an answer that came before the frame had left would not be a test of
# the line). $1: the link to make.
sim_options=(--terminal 1:slave --random 12 --seed 7)
start_sim() {
    "${native[@]}" "$TOBRIN_SIM" "${sim_options[@]}" --link "$1" --trace "$run/trace.txt" \
        >"$run/sim.out" 2>&1 &
    pids+=($!)
    wait_for 10 test -L "$1"
}

# The same terminal from tobrin-sim.exe on COM2, which null-modem wires to
# COM1 (the program's port). Sets sim_pid.
start_sim_exe() {
    "$NULL_MODEM" "$KELMORA_WINE_PORTS/com1" "$KELMORA_WINE_PORTS/com2" >"$run/null-modem.out" &
    pids+=($!)
    wait_for 10 grep -qs ready "$run/null-modem.out"
    (cd "$run" && exec wine "$TOBRIN_SIM_EXE" "${sim_options[@]}" --device COM2 \
        --trace trace.txt) >"$run/sim.out" 2>&1 &
    sim_pid=$!
    pids+=("$sim_pid")
    # It names the port once the port is its own.
    wait_for 30 grep -qs COM2 "$run/sim.out"
}

# The program in $run, the data path being its start directory (defaults).
# $1: linux or windows; $2: its standard error file. Sets started_pid.
start_kelmora() {
    if [ "$1" = linux ]; then
        (cd "$run" && exec "${native[@]}" XDG_RUNTIME_DIR="$run" "$KELMORA_NATIVE" --headless \
            --config kelmora.ini) \
            2>"$run/$2" &
    else
        (cd "$run" && exec wine "$KELMORA_EXE" --headless --config kelmora.ini) 2>"$run/$2" &
    fi
    started_pid=$!
    pids+=("$started_pid")
}

logged() {
    grep -q "$1" "$run/errorlog.txt" 2>/dev/null
}

# Waits until the program started with start_kelmora has classified T1.
ready_or_ended() {
    logged "TERM 1 SLAVE" || ! kill -0 "$started_pid" 2>/dev/null
}
wait_ready() {
    wait_for 60 ready_or_ended
    kill -0 "$started_pid" 2>/dev/null ||
        fail "$run: the program ended at start: $(cat "$run"/*.txt 2>/dev/null)"
}

# The host's side: drops the request file and waits for the job's end, the
# output file coming before the status pair.
request_answered() {
    [ ! -e "$run/request.cfg" ] && [ -e "$run/output.txt" ]
}
run_request() {
    rm -f "$run/output.txt"
    printf '%s\r\n' "$@" >"$run/request.part"
    mv "$run/request.part" "$run/request.cfg"
    wait_for 60 request_answered
}

# A port on 127.0.0.1 nothing listens at (none in /proc/net/tcp).
free_port() {
    local port
    while :; do
        port=$((20000 + RANDOM % 40000))
        grep -qi ":$(printf '%04X' "$port") " /proc/net/tcp || break
    done
    echo "$port"
}

# ser2net in front of the pty link $1, on 127.0.0.1 only: a telnet(rfc2217)
# accepter on $rfc2217_port and a raw one on $tcp_port (both set here).
start_ser2net() {
    local ser2net=/usr/sbin/ser2net
    [ -x "$ser2net" ] || fail "$ser2net is missing: make deps installs Debian's ser2net"
    rfc2217_port=$(free_port)
    tcp_port=$(free_port)
    local connector="serialdev,$1,19200n81,local"
    printf '%s\n' "connection: &rfc2217" \
        "    accepter: telnet(rfc2217),tcp,127.0.0.1,$rfc2217_port" "    connector: $connector" \
        "connection: &raw" "    accepter: tcp,127.0.0.1,$tcp_port" "    connector: $connector" \
        >"$run/ser2net.yaml"
    "${native[@]}" "$ser2net" -n -u -c "$run/ser2net.yaml" -P "$run/ser2net.pid" \
        >"$run/ser2net.out" 2>&1 &
    pids+=($!)
    # Listening, seen without connecting (ser2net opens its device for
    # every client).
    for port in "$rfc2217_port" "$tcp_port"; do
        wait_for 10 grep -qi "0100007F:$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp
    done
}

# Stops the program as Ctrl+C does and expects a clean end.
stop_kelmora() {
    kill -INT "$1"
    local code=0
    wait "$1" || code=$?
    [ "$code" -eq 0 ] || fail "$run: the program ended with $code after Ctrl+C"
    [ "$(tail -n 1 "$run/errorlog.txt" | tr -d '\r' | cut -c 23-)" = "Stop programu" ] ||
        fail "$run: the event log does not end with Stop programu"
}

# Everything at its default: T1 at address 1 on COM1, the data path the start
# directory. [Porty] gives Linux its device; Windows opens \\.\COM1 for a
# path (the prefix maps it to the same kind of link) and a network port for
# rfc2217:// or tcp://.
write_ini() {
    printf '%s\r\n' "[Porty]" "COM1=$1" >"$run/kelmora.ini"
}

# Three persons (one name in Windows-1250 letters, which go through the name
# table), the clock set, then the whole memory and the changes since the
# last Y.
meals=11111111111111AAAAAAAAAAAAAA22222222222222
person() { printf 'Q%04d%s0%s%-14s %s' "$1" "$2" "$meals" "$3" "$4"; }
request=("TERM 1"
    "$(person 1 12345678 "NOVAK JAN" +00500)"
    "$(person 2 12345679 $'\x8ETP\xC1NEK \xC8EN\xECK' -00020)"
    "$(person 3 CAFE0001 "DVORAK KAREL" +31000)"
    "T26121105093000"
    "P"
    "Y")

# One whole run with the program of $1 (windows-sim: kelmora.exe against
# tobrin-sim.exe); leaves its files in $WORK/$1-č. The
# data path (the start directory) has a Czech letter in its name: Windows-1250
# inside the program, through the ANSI calls (code page 1250) under Wine.
job() {
    run="$WORK/$1-č"
    rm -rf "$run"
    mkdir -p "$run"
    local program=$1
    case "$1" in
    linux)
        write_ini "$WORK/ttyTOBRIN"
        start_sim "$WORK/ttyTOBRIN"
        ;;
    windows)
        write_ini "$KELMORA_WINE_PORTS/com1"
        start_sim "$KELMORA_WINE_PORTS/com1"
        ;;
    windows-sim)
        program=windows
        write_ini "$KELMORA_WINE_PORTS/com1"
        start_sim_exe
        ;;
    windows-rfc2217 | windows-tcp)
        program=windows
        start_sim "$WORK/ttyNET"
        start_ser2net "$WORK/ttyNET"
        if [ "$1" = windows-rfc2217 ]; then
            write_ini "rfc2217://127.0.0.1:$rfc2217_port"
        else
            write_ini "tcp://127.0.0.1:$tcp_port"
        fi
        ;;
    esac
    start_kelmora "$program" stderr.txt
    local kelmora=$started_pid
    wait_ready
    run_request "${request[@]}"
    stop_kelmora "$kelmora"
}

# The files of the run $1 are byte for byte those of the Linux run; $2 names it.
same_files() {
    for f in output.txt rexcom.sta binarni.bin; do
        [ -s "$WORK/linux-č/$f" ] || fail "the Linux build wrote no $f"
        cmp "$WORK/linux-č/$f" "$WORK/$1-č/$f" ||
            fail "$f differs between the Linux build and $2"
    done
    echo "headless.sh: output.txt ($(wc -l <"$WORK/linux-č/output.txt") lines)," \
        "rexcom.sta ($(tr -d '\r\n' <"$WORK/linux-č/rexcom.sta")) and binarni.bin are the same" \
        "through the Linux build and $2"
}

case "$mode" in
end-to-end)
    mkdir -p "$WORK"
    job linux
    stop_all
    job windows
    same_files windows "kelmora.exe"
    ;;
simulator)
    for v in TOBRIN_SIM_EXE NULL_MODEM; do
        [ -f "${!v:-}" ] || fail "$v (${!v:-not set}) is missing"
    done
    # No port to serve, or one that is not there: a message and 1.
    for case in "has no pseudo-terminals:" "COM9:--device COM9"; do
        code=0
        # shellcheck disable=SC2086 # the arguments, split
        said=$(wine "$TOBRIN_SIM_EXE" ${case#*:} 2>&1) || code=$?
        { [ "$code" -eq 1 ] && grep -q "^tobrin-sim: .*${case%%:*}" <<<"$said"; } ||
            fail "tobrin-sim.exe ${case#*:}: ended with $code, said: $said"
    done
    mkdir -p "$WORK"
    job linux
    stop_all
    job windows-sim
    kill -INT "$sim_pid"
    code=0
    wait "$sim_pid" || code=$?
    [ "$code" -eq 0 ] || fail "tobrin-sim.exe ended with $code after Ctrl+C: $(cat "$run/sim.out")"
    same_files windows-sim "kelmora.exe against tobrin-sim.exe"
    ;;
network)
    mkdir -p "$WORK"
    job linux
    stop_all
    job windows-rfc2217
    stop_all
    same_files windows-rfc2217 "kelmora.exe over ser2net's telnet(rfc2217) port"
    job windows-tcp
    stop_all
    same_files windows-tcp "kelmora.exe over ser2net's raw tcp port"
    ;;
request)
    run=$WORK/request
    rm -rf "$run"
    mkdir -p "$run"
    write_ini "$KELMORA_WINE_PORTS/com1"
    # Two attempts a command (the default record but for its byte 62): Wine
    # writes a frame through its server, which the client's own Wine process
    # keeps busy as well, and once in a while an acknowledgement came after
    # its 80 ms. What is tested here is the client.
    record=01000100000000000000000004000000C40900000400000006000000010001726571756573742E
    record+=636667000000006F75747075742E747874000000000000010114000000
    printf '%s\r\n' "[Konfigurace]" "Cfg_binary=$record" >>"$run/kelmora.ini"
    start_sim "$KELMORA_WINE_PORTS/com1"
    start_kelmora windows stderr.txt
    kelmora=$started_pid
    wait_ready
    # kelmora.exe request in the program's folder, as the host's side does;
    # what it says comes in Windows-1250. Its exit status goes to client.code.
    client() {
        local status=0
        (cd "$run" && timeout 120 wine "$KELMORA_EXE" request --config kelmora.ini "$@") \
            >"$run/client.out" 2>"$run/client.err" || status=$?
        echo "$status" >"$run/client.code"
    }
    code() { cat "$run/client.code"; }
    printed() { tr -d '\r' <"$run/client.out"; }
    said() { iconv -f CP1250 -t UTF-8 "$run/client.err"; }
    waits_its_turn() { said | grep -q "ještě nebyl převzat"; }
    pairs() {
        tr -d '\r' <"$run/errorlog.txt" | cut -c 23- | grep -E '^-?[0-9]+,-?[0-9]+$' | paste -sd' '
    }
    drop() {
        printf '%s\r\n' "$@" >"$run/request.part"
        mv "$run/request.part" "$run/request.cfg"
    }

    client --terminal 1 N S
    [ "$(code)" -eq 0 ] || fail "kelmora.exe request ended with $(code): $(said)"
    if [ "$(printed | tail -n 1)" != "2,1" ] || [ "$(printed | head -c 1)" != S ] ||
        [ "$(printed | wc -l)" -ne 2 ]; then
        fail "kelmora.exe request printed: $(printed)"
    fi
    [ "$(printed | head -n 1)" = "$(tr -d '\r' <"$run/output.txt")" ] ||
        fail "the answer line is not the job's output file's"

    # The host's first job keeps Kelmora busy for nine seconds (C three
    # times); its next request waits meanwhile, and the client's behind it.
    drop "TERM 1" C C C
    wait_for 30 test -e "$run/request.cfg.job"
    drop TERM1 S
    client --terminal 1 N Y &
    client_pid=$!
    wait_for 60 waits_its_turn
    [ "$(cat "$run/request.cfg")" = $'TERM1\r\nS\r' ] || fail "the host's request was replaced"
    wait "$client_pid"
    [ "$(code)" -eq 0 ] || fail "the waiting kelmora.exe request ended with $(code): $(said)"
    [ "$(printed)" = "2,0" ] || fail "the waiting client printed: $(printed)"
    [ "$(pairs)" = "1,0 2,1 1,0 3,0 1,0 1,1 1,0 2,0" ] || fail "the jobs' pairs: $(pairs)"
    for f in "$run"/*.new "$run"/*.receipt; do
        [ ! -e "$f" ] || fail "left behind: $f"
    done

    stop_kelmora "$kelmora"
    client --terminal 1 S
    { [ "$(code)" -eq 5 ] && said | grep -q "neběží Kelmora"; } ||
        fail "without kelmora.exe, request ended with $(code): $(said)"
    echo "headless.sh: kelmora.exe request printed its job's answers and pair, waited its" \
        "turn behind the host's request, and said at once that no Kelmora ran"
    ;;
single-instance)
    run=$WORK/single
    rm -rf "$run"
    mkdir -p "$run"
    write_ini "$KELMORA_WINE_PORTS/com1"
    start_sim "$KELMORA_WINE_PORTS/com1"
    start_kelmora windows first.txt
    first=$started_pid
    wait_ready

    code=0
    # A copy that failed to notice the first would run on: the bound ends it.
    (cd "$run" && timeout 60 wine "$KELMORA_EXE" --headless --config kelmora.ini) \
        2>"$run/second.txt" || code=$?
    [ "$code" -eq 255 ] || fail "the second copy ended with $code, not -1 (255)"
    grep -q $'Tento program je ji\xC5\xBE spu\xC5\xA1t\xC4\x9Bn!!!' "$run/second.txt" ||
        fail "the second copy did not say it: $(cat "$run/second.txt")"

    kill -0 "$first" 2>/dev/null || fail "the first copy did not go on"
    run_request "TERM 1" "N"
    [ "$(cat "$run/rexcom.sta")" = $'1,0\r' ] || fail "the first copy's job: $(cat "$run/rexcom.sta")"
    stop_kelmora "$first"
    echo "headless.sh: the second copy exited with -1; the first went on and stopped cleanly"
    ;;
*)
    echo "usage: headless.sh end-to-end|single-instance|simulator|network|request" >&2
    exit 2
    ;;
esac
