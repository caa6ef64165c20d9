# The agent's scenario. One companion lives through the whole scenario; its script
# waits before each segment for the reader of that check to be ready (the reader's
# ready file is the segment's go file), so no frame is sent before someone reads.
FIRST=aa:bb:cc:dd:ee:50
SECOND=aa:bb:cc:dd:ee:51
EXPECTED=$DATA/expected/agent
export XDG_CONFIG_HOME=/tmp/agent/config XDG_STATE_HOME=/tmp/agent/state
mkdir -p $XDG_CONFIG_HOME $XDG_STATE_HOME
rm -f /tmp/go-* /tmp/sent-* /tmp/holding

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
    echo "touch /tmp/holding"
    echo "wait /tmp/go-remove 30000"
    echo "remove"
    echo "touch /tmp/sent-removal"
    echo "wait /tmp/go-readd 30000"
    echo "add"
    echo "touch /tmp/sent-readd"
    echo "wait /tmp/go-pen-readd 30000"
    cat "$DATA/scripts/pen-readd.txt"
    echo "wait /tmp/go-end 60000"
} >/tmp/agent-companion.txt

e2e companion --descriptor "$DESCRIPTOR" --uniq $FIRST --ready /tmp/companion-ready \
    --timeout-ms 10000 /tmp/agent-companion.txt &
companion=$!
wait_for_file /tmp/companion-ready 10 || fail agent.companion "the companion did not appear"

"$AGENT" --headless >/tmp/agent.out 2>&1 &
agent=$!

# log_has TEXT SECONDS: the agent's log file says TEXT within the time (lines other than
# errors are written a moment after they are logged).
log_has() {
    until=$(($(uptime_seconds) + $2))
    while ! grep -qF "$1" $XDG_STATE_HOME/Logs/drawlume-agent/*.log 2>/dev/null; do
        [ "$(uptime_seconds)" -lt "$until" ] || return 1
        sleep 0.1
    done
}

if held_by_agent $agent $FIRST 15; then
    # Seized: while it runs, another reader of the twins gets nothing.
    e2e grab --companion $FIRST --expect held --silent-ms 3000 >/tmp/silent.out 2>&1 &
    silent=$!
    agent_frames agent.pen_stroke /tmp/go-pen-stroke $EXPECTED/pen-stroke.frames \
        "$AGENT_PEN_DEVICE"
    if wait $silent; then pass agent.seizes_companion; else
        fail agent.seizes_companion "$(tail -n 1 /tmp/silent.out)"; fi
    agent_frames agent.pen_barrel /tmp/go-pen-barrel $EXPECTED/pen-barrel.frames \
        "$AGENT_PEN_DEVICE"
    agent_frames agent.pen_eraser /tmp/go-pen-eraser $EXPECTED/pen-eraser.frames \
        "$AGENT_PEN_DEVICE"
    agent_frames agent.mouse /tmp/go-mouse $EXPECTED/mouse.frames "$AGENT_POINTER_DEVICE"
    agent_frames agent.typing /tmp/go-typing $EXPECTED/typing.frames "$AGENT_KEYBOARD_DEVICE"

    # Removed while the tip touches and Shift+A are down: first make sure they are down,
    # or the check after the removal would prove nothing.
    touch /tmp/go-removal
    if ! wait_for_file /tmp/holding 10; then
        fail agent.removal_mid_stroke_releases_all "the companion did not get to its stroke"
    elif ! sleep 0.5 || ! holds "$AGENT_PEN_DEVICE" BTN_TOOL_PEN BTN_TOUCH ||
        ! holds "$AGENT_KEYBOARD_DEVICE" KEY_LEFTSHIFT KEY_A; then
        fail agent.removal_mid_stroke_releases_all "the tip and Shift+A were not down before the removal"
    else
        touch /tmp/go-remove
        if wait_for_file /tmp/sent-removal 10; then
            sleep 1
            nothing_held agent.removal_mid_stroke_releases_all
        else
            fail agent.removal_mid_stroke_releases_all "the companion was not removed"
        fi
    fi
    touch /tmp/go-remove /tmp/go-readd
    if ! wait_for_file /tmp/sent-readd 10 || ! held_by_agent $agent $FIRST 10; then
        fail agent.readd_activates "the re-added companion was not seized"
    else
        agent_frames agent.readd_activates /tmp/go-pen-readd $EXPECTED/pen-readd.frames \
            "$AGENT_PEN_DEVICE"
    fi

    # A second companion is listed, not opened: its twins stay free and the agent
    # holds no descriptor of its nodes; the first stays seized.
    echo "wait /tmp/go-end 60000" >/tmp/second.txt
    e2e companion --descriptor "$DESCRIPTOR" --uniq $SECOND --name "Drawlume Second Companion" \
        --ready /tmp/second-ready /tmp/second.txt &
    second=$!
    if wait_for_file /tmp/second-ready 10; then
        listed=$(log_has "Device discovered: Drawlume Second Companion" 10 && echo yes)
        opened=""
        for node in $(ls -d /sys/bus/hid/devices/*/hidraw/hidraw* /sys/bus/hid/devices/*/input/input*/event*); do
            hid=${node%%/hidraw/*}
            hid=${hid%%/input/*}
            [ "$(grep -s HID_UNIQ= "$hid/uevent" | cut -d= -f2)" = $SECOND ] || continue
            for fd in /proc/$agent/fd/*; do
                [ "$(readlink "$fd")" = "/dev/$(basename "$node")" ] && opened="$opened $(readlink "$fd")"
            done
        done
        if [ -z "$listed" ]; then
            fail agent.second_companion_listed_not_opened "the agent's log does not list it"
        elif ! e2e grab --companion $SECOND --expect free >&2; then
            fail agent.second_companion_listed_not_opened "the second companion was seized"
        elif [ -n "$opened" ]; then
            fail agent.second_companion_listed_not_opened "the agent opened$opened"
        elif ! held_by_agent $agent $FIRST 2; then
            fail agent.second_companion_listed_not_opened "the first companion is not seized"
        else
            pass agent.second_companion_listed_not_opened
        fi
    else
        fail agent.second_companion_listed_not_opened "the second companion did not appear"
    fi

    # The service stopped: the first companion is released.
    kill -TERM $agent
    wait $agent
    if e2e grab --companion $FIRST --expect free >&2; then
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
