# The event output exists exactly while the service runs: a permission fixed after
# the start gives a service whose events arrive, and a /dev/uinput that opens but
# creates no device keeps the service stopped with the reason on standard error.

unprivileged_user

# wait_for_text FILE TEXT SECONDS: the text appears in the file within the time.
wait_for_text() {
    until=$(($(uptime_seconds) + $3))
    while ! grep -qF "$2" "$1" 2>/dev/null && [ "$(uptime_seconds)" -lt "$until" ]; do
        sleep 0.1
    done
    grep -qF "$2" "$1" 2>/dev/null
}

# The agent starts while its user may not write /dev/uinput; the user is then given
# access and the headless agent's own re-check (every 10 s) starts the service,
# whose pen device delivers the companion's hover.
output_permission_fixed_later() {
    {
        echo "wait /tmp/go-fixed 60000"
        echo "pen range x=2000 y=2000"
        echo "pen x=2000 y=2000"
        echo "wait /tmp/end-fixed 60000"
    } >/tmp/fixed.txt
    printf 'BTN_TOOL_PEN=1 ABS_X=2008 ABS_Y=2015\nBTN_TOOL_PEN=0\n' >/tmp/fixed.frames
    scenario_setup fixed aa:bb:cc:dd:ee:70
    mode=$(stat -c %a /dev/uinput)
    chmod 600 /dev/uinput
    sleep 0.5
    # The companion's nodes are the user's to read, as the udev rule makes them.
    chmod 666 /dev/hidraw* /dev/input/event*
    chown -R drawer /tmp/fixed
    su -p -s /bin/sh drawer -c "exec $AGENT --headless" 2>/tmp/fixed.err &
    agent=$!
    if ! wait_for_text /tmp/fixed.err "Input permission denied: /dev/uinput" 15; then
        cat /tmp/fixed.err >&2
        fail output.denied_uinput_told "standard error does not give the reason"
    elif ! e2e grab --companion aa:bb:cc:dd:ee:70 --expect free >&2; then
        fail output.denied_uinput_told "the companion was seized without a way to post its events"
    else
        pass output.denied_uinput_told
    fi
    chmod 666 /dev/uinput
    if held_by_agent $agent aa:bb:cc:dd:ee:70 20; then
        agent_frames output.events_arrive_after_the_permission_is_fixed /tmp/go-fixed \
            /tmp/fixed.frames "$AGENT_PEN_DEVICE"
        if grep -qF "Input permission granted" /tmp/fixed.err; then
            pass output.granted_permission_told
        else
            cat /tmp/fixed.err >&2
            fail output.granted_permission_told "standard error does not say it is granted now"
        fi
    else
        fail output.events_arrive_after_the_permission_is_fixed \
            "the re-check did not start the service within 20 s"
        cat /tmp/fixed.err >&2
    fi
    scenario_end fixed
    chmod "$mode" /dev/uinput
}

# /dev/uinput opens but refuses every device (/dev/null in its place): the service
# stays stopped, through the re-checks too, and standard error and the log say why.
output_uinput_refuses_devices() {
    echo "wait /tmp/end-unusable 60000" >/tmp/unusable.txt
    scenario_setup unusable aa:bb:cc:dd:ee:71
    mount -o bind /dev/null /dev/uinput
    "$AGENT" --headless 2>/tmp/unusable.err &
    agent=$!
    reason="opens for writing, but the virtual input devices cannot be created through it"
    verdict=""
    if ! wait_for_text /tmp/unusable.err "$reason" 15; then
        verdict="standard error does not give the reason;"
    fi
    # Past the next re-check: still stopped, and the same state is not told again.
    sleep 11
    if ! kill -0 $agent 2>/dev/null; then
        verdict="$verdict the agent ended;"
    elif ! e2e grab --companion aa:bb:cc:dd:ee:71 --expect free >&2; then
        verdict="$verdict the companion was seized without a way to post its events;"
    elif grep -lqx "$AGENT_PEN_DEVICE" /sys/class/input/*/name 2>/dev/null; then
        verdict="$verdict a pen device exists;"
    fi
    told=$(grep -cF "$reason" /tmp/unusable.err)
    [ "$told" -le 1 ] || verdict="$verdict the reason was told $told times;"
    grep -q "Cannot create the uinput devices: " /tmp/unusable/state/Logs/drawlume-agent/*.log ||
        verdict="$verdict the log does not say that the devices could not be created;"
    if [ -z "$verdict" ]; then pass output.unusable_uinput_keeps_service_stopped; else
        cat /tmp/unusable.err >&2
        fail output.unusable_uinput_keeps_service_stopped "${verdict# }"
    fi
    scenario_end unusable
    umount /dev/uinput
}

output_permission_fixed_later
output_uinput_refuses_devices
