# Faults the agent must live through, each with an agent and a companion of its own.

# A hover in and out at (x, y) = (2000, 2000), and its frames on the agent's pen device.
hover_script() {
    echo "wait $1 30000"
    echo "pen range x=2000 y=2000"
    echo "pen x=2000 y=2000"
}
printf 'BTN_TOOL_PEN=1 ABS_X=2008 ABS_Y=2015\nBTN_TOOL_PEN=0\n' >/tmp/hover.frames

# The log folder cannot be written (a read-only file system): the agent says so on its
# standard error, once for each problem, and works as before.
fault_unwritable_logs() {
    { hover_script /tmp/go-logs; echo "wait /tmp/end-logs 60000"; } >/tmp/logs.txt
    scenario_setup logs aa:bb:cc:dd:ee:60
    mkdir -p /tmp/logs/readonly && mount -t tmpfs -o ro tmpfs /tmp/logs/readonly
    XDG_STATE_HOME=/tmp/logs/readonly "$AGENT" --headless 2>/tmp/logs.err &
    agent=$!
    if held_by_agent $agent aa:bb:cc:dd:ee:60 15; then
        agent_frames fault.unwritable_log_directory /tmp/go-logs /tmp/hover.frames \
            "$AGENT_PEN_DEVICE"
        told=$(grep -c /tmp/logs/readonly /tmp/logs.err)
        # The file logger's own reports; the log's lines (drawlume-agent: ...) may repeat.
        repeated=$(grep -v '^drawlume-agent: ' /tmp/logs.err | sort | uniq -d | head -n 1)
        if [ "$told" -eq 0 ]; then
            fail fault.unwritable_log_directory_told "nothing on standard error names the folder"
        elif [ -n "$repeated" ]; then
            fail fault.unwritable_log_directory_told "told more than once: $repeated"
        else
            pass fault.unwritable_log_directory_told
        fi
    else
        fail fault.unwritable_log_directory "the agent did not seize the companion"
        cat /tmp/logs.err >&2
    fi
    scenario_end logs
    umount /tmp/logs/readonly
}

# A settings file that is not JSON: kept aside unchanged, and the agent starts.
fault_corrupt_settings() {
    echo "wait /tmp/end-settings 60000" >/tmp/settings.txt
    scenario_setup settings aa:bb:cc:dd:ee:61
    folder=/tmp/settings/config/drawlume-agent
    mkdir -p $folder
    printf '{"selectedMonitorIndex": 0, "selectedAppLanguage": "ko"' >$folder/defaults.json
    cp $folder/defaults.json /tmp/settings/original.json
    "$AGENT" --headless 2>/tmp/settings.err &
    agent=$!
    if ! held_by_agent $agent aa:bb:cc:dd:ee:61 15; then
        fail fault.corrupt_settings_kept_aside "the agent did not start its service"
    elif ! cmp -s $folder/defaults.json.corrupt-* /tmp/settings/original.json; then
        ls -l $folder >&2
        fail fault.corrupt_settings_kept_aside "no defaults.json.corrupt-* with the old contents"
    else
        pass fault.corrupt_settings_kept_aside
    fi
    scenario_end settings
}

# No /dev/uinput (the module not loaded): a clear reason, no crash, no busy loop; once
# the node is there the service starts by itself.
fault_missing_uinput() {
    echo "wait /tmp/end-uinput 60000" >/tmp/uinput.txt
    scenario_setup uinput aa:bb:cc:dd:ee:62
    device=$(cat /sys/class/misc/uinput/dev)
    rm -f /dev/uinput
    "$AGENT" --headless 2>/tmp/uinput.err &
    agent=$!
    sleep 1
    before=$(cpu_ticks $agent)
    sleep 3
    after=$(cpu_ticks $agent)
    hz=100
    if ! kill -0 $agent 2>/dev/null; then
        fail fault.missing_uinput "the agent ended"
    elif ! grep -q "/dev/uinput does not exist (the uinput module is not loaded)" /tmp/uinput.err; then
        cat /tmp/uinput.err >&2
        fail fault.missing_uinput "standard error does not give the reason"
    elif [ $((after - before)) -gt $((3 * hz / 10)) ]; then
        fail fault.missing_uinput "the agent used $((after - before)) ticks of CPU in 3 s while waiting"
    elif ! e2e grab --companion aa:bb:cc:dd:ee:62 --expect free >&2; then
        fail fault.missing_uinput "the companion was seized without a way to post its events"
    else
        pass fault.missing_uinput
    fi
    mknod /dev/uinput c ${device%%:*} ${device##*:}
    # The headless agent asks for the permission again every 10 s.
    seized fault.uinput_appearing_starts_service $agent aa:bb:cc:dd:ee:62 15
    scenario_end uinput
}

# The companion disappears in the middle of a burst of reports, the tip down and a key
# held: the agent lives on, nothing stays held, and it takes the companion back.
fault_vanish_in_flight() {
    {
        echo "wait /tmp/go-vanish 30000"
        echo "keys mods=0x02 04"
        i=0
        while [ $i -lt 300 ]; do
            echo "pen tip range x=$((5000 + i * 10)) y=5000 p=$((1000 + i * 50))"
            i=$((i + 1))
        done
        echo "remove"
        echo "touch /tmp/sent-vanish"
        echo "wait /tmp/go-vanish-readd 30000"
        echo "add"
        echo "wait /tmp/end-vanish 60000"
    } >/tmp/vanish.txt
    scenario_setup vanish aa:bb:cc:dd:ee:63
    "$AGENT" --headless 2>/tmp/vanish.err &
    agent=$!
    if ! held_by_agent $agent aa:bb:cc:dd:ee:63 15; then
        fail fault.companion_vanishes_with_reports_in_flight "the agent did not seize it"
    else
        touch /tmp/go-vanish
        wait_for_file /tmp/sent-vanish 20
        sleep 1
        if ! kill -0 $agent 2>/dev/null; then
            fail fault.companion_vanishes_with_reports_in_flight "the agent ended"
        else
            nothing_held fault.companion_vanishes_with_reports_in_flight
            touch /tmp/go-vanish-readd
            seized fault.companion_back_after_vanishing $agent aa:bb:cc:dd:ee:63 10
        fi
    fi
    scenario_end vanish
}

# SIGTERM in the middle of a stroke with Shift+A down: the agent releases everything
# before its devices go.
fault_sigterm_mid_stroke() {
    {
        echo "wait /tmp/go-sigterm 30000"
        echo "pen range x=3000 y=3000"
        echo "pen tip range x=3000 y=3000 p=16000"
        echo "keys mods=0x02 04"
        echo "touch /tmp/sigterm-holding"
        echo "wait /tmp/end-sigterm 60000"
    } >/tmp/sigterm.txt
    scenario_setup sigterm aa:bb:cc:dd:ee:64
    rm -f /tmp/sigterm-keyboard-ready /tmp/sigterm-holding
    "$AGENT" --headless 2>/tmp/sigterm.err &
    agent=$!
    if ! held_by_agent $agent aa:bb:cc:dd:ee:64 15; then
        fail fault.sigterm_mid_stroke_releases_all "the agent did not seize the companion"
        scenario_end sigterm
        return
    fi
    # Both readers read until the devices go away with the agent.
    e2e read --name "$AGENT_KEYBOARD_DEVICE" --ready /tmp/sigterm-keyboard-ready \
        --expect $DATA/expected/agent/sigterm-keyboard.frames --quiet-ms 30000 \
        --timeout-ms 30000 >/tmp/sigterm-keyboard.out 2>&1 &
    keyboard=$!
    wait_for_file /tmp/sigterm-keyboard-ready 10
    e2e read --name "$AGENT_PEN_DEVICE" --ready /tmp/go-sigterm \
        --expect $DATA/expected/agent/sigterm-pen.frames --quiet-ms 30000 \
        --timeout-ms 30000 >/tmp/sigterm-pen.out 2>&1 &
    pen=$!
    if wait_for_file /tmp/sigterm-holding 10 && sleep 0.5 &&
        holds "$AGENT_PEN_DEVICE" BTN_TOUCH && holds "$AGENT_KEYBOARD_DEVICE" KEY_A; then
        kill -TERM $agent
        wait $agent
        verdict=""
        wait $pen || verdict="pen: $(tail -n 1 /tmp/sigterm-pen.out);"
        wait $keyboard || verdict="$verdict keyboard: $(tail -n 1 /tmp/sigterm-keyboard.out);"
        grep -q "Released [0-9]* held tools, buttons and keys" \
            /tmp/sigterm/state/Logs/drawlume-agent/*.log ||
            verdict="$verdict the log does not say that it released them"
        if [ -z "$verdict" ]; then pass fault.sigterm_mid_stroke_releases_all; else
            cat /tmp/sigterm-pen.out /tmp/sigterm-keyboard.out >&2
            fail fault.sigterm_mid_stroke_releases_all "$verdict"
        fi
    else
        fail fault.sigterm_mid_stroke_releases_all "the tip and Shift+A were not down"
        stop $pen
        stop $keyboard
    fi
    scenario_end sigterm
}

fault_unwritable_logs
fault_corrupt_settings
fault_missing_uinput
fault_vanish_in_flight
fault_sigterm_mid_stroke
