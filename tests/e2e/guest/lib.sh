# Helpers of the guest scripts (busybox sh).

# The agent and the names of its three uinput devices (the sink's: keep them in step).
AGENT=/e2e/bin/drawlume-agent
AGENT_PEN_DEVICE="Draw Quill"
AGENT_POINTER_DEVICE="Draw Quill Pointer"
AGENT_KEYBOARD_DEVICE="Draw Quill Keyboard"

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

# CPU time of a process so far, in clock ticks (user plus system).
cpu_ticks() {
    # Fields after the command name, which ends with the last ')'.
    sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# held_by_agent PID UNIQ SECONDS: the agent (process PID) seizes the companion within
# the time: it holds the hidraw node and every twin open, and the twins are grabbed.
held_by_agent() {
    e2e grab --companion "$2" --expect held --opened-by "$1" \
        --timeout-ms "$(($3 * 1000))" >&2
}

# seized CHECK PID UNIQ SECONDS: passes CHECK when held_by_agent does.
seized() {
    if held_by_agent "$2" "$3" "$4"; then pass "$1"; else
        fail "$1" "the companion $3 was not seized within $4 s"
    fi
}

# nothing_held CHECK: no key, button or tool stays down on any of the agent's devices.
nothing_held() {
    verdict=""
    for device in "$AGENT_PEN_DEVICE" "$AGENT_POINTER_DEVICE" "$AGENT_KEYBOARD_DEVICE"; do
        e2e read --name "$device" --timeout-ms 5000 --nothing-held >&2
        case $? in
            0) ;;
            1) verdict="$verdict '$device' holds a key or button;" ;;
            *) verdict="$verdict no uinput device '$device';" ;;
        esac
    done
    if [ -z "$verdict" ]; then pass "$1"; else fail "$1" "${verdict# }"; fi
}

# holds DEVICE CODE...: the agent's device holds each of the codes down now.
holds() {
    device=$1
    shift
    held=$(e2e read --name "$device" --timeout-ms 5000 --nothing-held)
    for code in "$@"; do
        case " ${held#* holds } " in
            *" $code "*) ;;
            *) echo "$held" >&2; return 1 ;;
        esac
    done
}

# agent_frames CHECK READY EXPECTED DEVICE [READER OPTIONS...]: the frames of one
# segment on one of the agent's devices, in order. The reader creates READY once it
# reads, which is the companion's cue to send the segment.
agent_frames() {
    check=$1 ready=$2 expected=$3 device=$4
    shift 4
    out=/tmp/frames-$(basename "$expected" .frames)
    e2e read --name "$device" --ready "$ready" --expect "$expected" \
        --quiet-ms 1000 --timeout-ms 20000 "$@" >"$out.out" 2>"$out.err"
    if [ $? -eq 0 ]; then pass "$check"; else
        cat "$out.out" "$out.err" >&2
        fail "$check" "$(tail -n 1 "$out.err")"
    fi
}

# start_udevd CHECK: starts systemd-udevd with the rules staged by run-e2e (udev's
# input rules, the project's rule and its companion check where the package puts
# them); passes CHECK once it answers, fails it and returns 1 otherwise.
start_udevd() {
    mkdir -p /etc/udev/rules.d /usr/lib/drawlume-agent /run/udev
    cp $E2E/libinput/rules.d/* /etc/udev/rules.d/
    cp /e2e/bin/drawlume-companion-check /usr/lib/drawlume-agent/
    ln -sf udevadm /e2e/bin/systemd-udevd
    systemd-udevd 2>/tmp/udevd.err &
    udevd=$!
    if wait_for_file /run/udev/control 10 && udevadm control --ping --timeout=10 2>/tmp/udevd-ping.err; then
        pass "$1"
        return 0
    fi
    cat /tmp/udevd.err /tmp/udevd-ping.err >&2
    fail "$1" "systemd-udevd did not answer"
    return 1
}

# stop_udevd: the sections after this one run without udevd, as before it: the agent
# takes a control socket left behind for a running udevd and would listen to it, not
# the kernel.
stop_udevd() {
    udevadm control --exit --timeout=10 2>/dev/null
    stop $udevd
    rm -rf /run/udev
}

# scenario_setup NAME UNIQ: a fresh settings and state folder and a companion that
# plays /tmp/NAME.txt; sets $companion. The script should end by waiting for
# /tmp/end-NAME.
scenario_setup() {
    rm -rf "/tmp/$1" && mkdir -p "/tmp/$1/config" "/tmp/$1/state"
    export XDG_CONFIG_HOME=/tmp/$1/config XDG_STATE_HOME=/tmp/$1/state
    rm -f "/tmp/$1-ready"
    e2e companion --descriptor "$DESCRIPTOR" --uniq "$2" --ready "/tmp/$1-ready" \
        --timeout-ms 10000 "/tmp/$1.txt" &
    companion=$!
    wait_for_file "/tmp/$1-ready" 10
}

# scenario_end NAME: stops the scenario's agent and companion.
scenario_end() {
    touch "/tmp/end-$1"
    stop $agent
    wait $companion
}

# unprivileged_user: the user "drawer" for agents that must not run as root (root
# writes any node whatever its mode), who may enter the image's root folder.
unprivileged_user() {
    chmod 755 /
    mkdir -p /etc
    grep -q '^root:' /etc/passwd 2>/dev/null || echo 'root:x:0:0:root:/:/bin/sh' >>/etc/passwd
    grep -q '^drawer:' /etc/passwd || echo 'drawer:x:1000:1000:drawer:/tmp:/bin/sh' >>/etc/passwd
    grep -q '^root:' /etc/group 2>/dev/null || echo 'root:x:0:' >>/etc/group
}
