# Helpers of the guest scripts (busybox sh).

pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; }
skip() { echo "SKIP $1: $2"; }

# run_program NAME SECONDS COMMAND...: runs a program that prints its own result lines,
# bounded in time; reports NAME as failed when it crashed or ran out of time (the
# checks it did not reach are missing from the count, so this line says why).
run_program() {
    name=$1 seconds=$2
    shift 2
    timeout "$seconds" "$@"
    status=$?
    case $status in
        0 | 1) ;;
        124 | 143) fail "$name" "$1 ran out of its $seconds s" ;;
        *) fail "$name" "$1 exited with status $status" ;;
    esac
}

# Whole seconds since boot: the clock of the time-outs below.
uptime_seconds() {
    cut -d. -f1 /proc/uptime
}

# wait_for_file FILE SECONDS: polls for a file some background program writes.
wait_for_file() {
    until=$(($(uptime_seconds) + $2))
    while [ ! -e "$1" ] && [ "$(uptime_seconds)" -lt "$until" ]; do
        sleep 0.05
    done
    [ -e "$1" ]
}

# stop PID: ends a background program this script started, and reaps it.
stop() {
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
