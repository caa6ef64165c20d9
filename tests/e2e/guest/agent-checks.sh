# The agent's scenario, run by agent-scenario.sh once the agent runs headless. One
# companion lives through the whole scenario; its script waits before each segment
# for the reader of that check to be ready (the reader's ready file is the segment's
# go file), so no frame is sent before someone reads.
#
# The names of the agent's three uinput devices are the sink's: keep them in step.
PEN=${AGENT_PEN_DEVICE:-Draw Quill}
POINTER=${AGENT_POINTER_DEVICE:-Draw Quill Pointer}
KEYBOARD=${AGENT_KEYBOARD_DEVICE:-Draw Quill Keyboard}
FIRST=aa:bb:cc:dd:ee:50
SECOND=aa:bb:cc:dd:ee:51
EXPECTED=$DATA/expected/agent
export XDG_CONFIG_HOME=/tmp/agent/config XDG_STATE_HOME=/tmp/agent/state
mkdir -p $XDG_CONFIG_HOME $XDG_STATE_HOME
rm -f /tmp/go-* /tmp/sent-*

# The companion's whole life: each segment waits for its go file and reports when sent.
{
    for segment in pen-stroke pen-barrel pen-eraser mouse typing; do
        echo "wait /tmp/go-$segment 30000"
        cat "$DATA/scripts/$segment.txt"
        echo "touch /tmp/sent-$segment"
    done
    # In the middle of a stroke, with a key held: gone.
    echo "wait /tmp/go-removal 30000"
    echo "pen range x=9000 y=9000"
    echo "pen tip range x=9100 y=9000 p=16000"
    echo "keys mods=0x02 04"
    echo "sleep 200"
    echo "remove"
    echo "touch /tmp/sent-removal"
    echo "wait /tmp/go-readd 30000"
    echo "add"
    echo "touch /tmp/sent-readd"
    echo "wait /tmp/go-end 60000"
} >/tmp/agent-companion.txt

e2e_companion --descriptor "$DESCRIPTOR" --uniq $FIRST --ready /tmp/companion-ready \
    --timeout-ms 10000 /tmp/agent-companion.txt &
companion=$!
wait_for_file /tmp/companion-ready 10 || fail agent.companion "the companion did not appear"

"$AGENT" --headless >/tmp/agent.out 2>&1 &
agent=$!

# held_by_agent UNIQ SECONDS: the agent seizes a companion within the time.
held_by_agent() {
    until=$(($(uptime_seconds) + $2))
    while [ "$(uptime_seconds)" -lt "$until" ]; do
        e2e_grab_checker --companion "$1" --expect held --timeout-ms 500 >/dev/null 2>&1 &&
            return 0
        sleep 0.1
    done
    return 1
}

# agent_frames CHECK SEGMENT DEVICE: the segment's frames on one of the agent's devices.
agent_frames() {
    e2e_evdev_reader --name "$3" --virtual --ready "/tmp/go-$2" --expect "$EXPECTED/$2.frames" \
        --in-order --quiet-ms 1000 --timeout-ms 20000 >/tmp/frames-$2.out 2>/tmp/frames-$2.err
    if [ $? -eq 0 ]; then pass "$1"; else
        cat /tmp/frames-$2.out /tmp/frames-$2.err >&2
        fail "$1" "$(tail -n 1 /tmp/frames-$2.err)"
    fi
}

# nothing_held CHECK: no key, button or tool stays down on any of the agent's devices.
nothing_held() {
    verdict=""
    for device in "$PEN" "$POINTER" "$KEYBOARD"; do
        e2e_evdev_reader --name "$device" --virtual --timeout-ms 5000 --nothing-held >&2
        case $? in
            0) ;;
            1) verdict="$verdict '$device' holds a key or button;" ;;
            *) verdict="$verdict no uinput device '$device';" ;;
        esac
    done
    if [ -z "$verdict" ]; then pass "$1"; else fail "$1" "${verdict# }"; fi
}

if held_by_agent $FIRST 15; then
    # Seized: while it runs, another reader of the twins gets nothing.
    e2e_grab_checker --companion $FIRST --expect held --silent-ms 3000 >/tmp/silent.out 2>&1 &
    silent=$!
    agent_frames agent.pen_stroke pen-stroke "$PEN"
    if wait $silent; then pass agent.seizes_companion; else
        fail agent.seizes_companion "$(tail -n 1 /tmp/silent.out)"; fi
    agent_frames agent.pen_barrel pen-barrel "$PEN"
    agent_frames agent.pen_eraser pen-eraser "$PEN"
    agent_frames agent.mouse mouse "$POINTER"
    agent_frames agent.typing typing "$KEYBOARD"

    touch /tmp/go-removal
    if wait_for_file /tmp/sent-removal 10; then
        sleep 1
        nothing_held agent.removal_mid_stroke_releases_all
    else
        fail agent.removal_mid_stroke_releases_all "the companion did not get to its removal"
    fi
    touch /tmp/go-readd
    if wait_for_file /tmp/sent-readd 10 && held_by_agent $FIRST 10; then
        pass agent.readd_activates
    else
        fail agent.readd_activates "the re-added companion was not seized"
    fi

    # A second companion is listed, not opened: its twins stay free and the agent
    # holds no descriptor of its hidraw node; the first stays seized.
    echo "wait /tmp/go-end 60000" >/tmp/second.txt
    e2e_companion --descriptor "$DESCRIPTOR" --uniq $SECOND --ready /tmp/second-ready \
        /tmp/second.txt &
    second=$!
    if wait_for_file /tmp/second-ready 10; then
        sleep 2
        opened=""
        for fd in /proc/$agent/fd/*; do
            target=$(readlink "$fd")
            for node in /sys/class/hidraw/*; do
                [ "$(grep -s HID_UNIQ "$node/device/uevent" | cut -d= -f2)" = $SECOND ] &&
                    [ "$target" = "/dev/$(basename "$node")" ] && opened=$target
            done
        done
        if ! e2e_grab_checker --companion $SECOND --expect free >&2; then
            fail agent.second_companion_listed_not_opened "the second companion was seized"
        elif [ -n "$opened" ]; then
            fail agent.second_companion_listed_not_opened "the agent opened $opened"
        elif ! held_by_agent $FIRST 2; then
            fail agent.second_companion_listed_not_opened "the first companion is not seized"
        else
            pass agent.second_companion_listed_not_opened
        fi
    else
        fail agent.second_companion_listed_not_opened "the second companion did not appear"
    fi

    # The service stopped: the first companion is released, nothing stays held.
    kill -TERM $agent
    wait $agent
    if e2e_grab_checker --companion $FIRST --expect free >&2; then
        pass agent.stop_releases_companion
    else
        fail agent.stop_releases_companion "the first companion's twins are still held"
    fi
    touch /tmp/go-end
    wait $second
else
    fail agent.seizes_companion "the agent did not seize the companion within 15 s"
    cat /tmp/agent.out >&2
    stop $agent
    touch /tmp/go-end
fi
stop $companion
