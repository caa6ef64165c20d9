# Who may reach which device, as the package sets it up: systemd-udevd with the
# project's rule tags the companion's hidraw and event nodes with uaccess, and no
# other Bluetooth device's. Then the agent runs as an unprivileged user who may open
# exactly the tagged nodes (what logind's ACL gives the user at the seat; no logind
# runs here): it seizes the companion and leaves a pen digitizer beside it alone.
ACCESS_COMPANION=aa:bb:cc:dd:ee:80
ACCESS_KEYBOARD=aa:bb:cc:dd:ee:81
ACCESS_PEN=aa:bb:cc:dd:ee:82

unprivileged_user

# access_device NAME UNIQ DESCRIPTOR TWINS: a Bluetooth HID device named NAME that lives
# until /tmp/access-end; its hid folder is written to /tmp/access-NAME.
access_device() {
    echo "wait /tmp/access-end 120000" >/tmp/access-script.txt
    rm -f "/tmp/access-$1"
    e2e companion --descriptor "$3" --name "$1" --uniq "$2" --twins "$4" --ready "/tmp/access-$1" \
        --timeout-ms 8000 /tmp/access-script.txt 2>>/tmp/access-devices.err &
    access_pids="$access_pids $!"
    wait_for_file "/tmp/access-$1" 10
}

# nodes_of NAME: the device nodes of a device made by access_device.
nodes_of() {
    hid=$(cat "/tmp/access-$1")
    for node in "$hid"/hidraw/hidraw*; do [ -e "$node" ] && echo "/dev/${node##*/}"; done
    for node in "$hid"/input/input*/event*; do [ -e "$node" ] && echo "/dev/input/${node##*/}"; done
}

# tagged NODE: udev gave the node the uaccess tag.
tagged() {
    udevadm info --query=property --name="$1" 2>/dev/null | grep -q '^TAGS=.*:uaccess:'
}

# tags_are CHECK NAME yes|no: every node of the device has (or none has) the tag.
tags_are() {
    nodes=$(nodes_of "$2")
    wrong=""
    for node in $nodes; do
        if tagged "$node"; then [ "$3" = yes ] || wrong="$wrong $node"; else
            [ "$3" = no ] || wrong="$wrong $node"; fi
    done
    if [ -z "$nodes" ]; then fail "$1" "no nodes of $2"
    elif [ -z "$wrong" ]; then pass "$1"
    else
        for node in $wrong; do udevadm info --query=property --name="$node" >&2; done
        fail "$1" "wrong uaccess tag on$wrong (of: $(echo $nodes))"
    fi
}

rm -f /tmp/access-end /tmp/access-devices.err
access_pids=""
if start_udevd access.udevd_runs; then
    devices_up=yes
    # The pen digitizer first: it is found first, where only the companion may be taken.
    access_device pen $ACCESS_PEN "$DATA/digitizers/laptop-pen.txt" 1 || devices_up=no
    access_device keyboard $ACCESS_KEYBOARD "$DATA/bluetooth/keyboard.txt" 1 || devices_up=no
    access_device companion $ACCESS_COMPANION "$DESCRIPTOR" 3 || devices_up=no
    # What installing the package does for nodes that were there before the rule.
    udevadm trigger --action=change --subsystem-match=misc --sysname-match=uinput
    udevadm settle --timeout=20
    if [ $devices_up = no ]; then
        cat /tmp/access-devices.err >&2
        fail access.devices "the simulated devices did not all appear"
    else
        if tagged /dev/uinput; then pass access.uinput_tagged; else
            fail access.uinput_tagged "/dev/uinput has no uaccess tag"; fi
        tags_are access.companion_nodes_tagged companion yes
        tags_are access.bluetooth_keyboard_untagged keyboard no
        tags_are access.pen_digitizer_untagged pen no

        # The session's ACL, stood in for: the user owns just the tagged nodes.
        uinput_mode=$(stat -c %a /dev/uinput)
        granted=""
        for node in /dev/uinput $(nodes_of companion) $(nodes_of keyboard) $(nodes_of pen); do
            chown root "$node" && chmod 600 "$node"
            if tagged "$node"; then chown drawer "$node" && granted="$granted $node"; fi
        done
        rm -rf /tmp/access && mkdir -p /tmp/access/config /tmp/access/state
        chown -R drawer /tmp/access
        XDG_CONFIG_HOME=/tmp/access/config XDG_STATE_HOME=/tmp/access/state \
            su -p -s /bin/sh drawer -c "exec $AGENT --headless" 2>/tmp/access-agent.err &
        agent=$!
        if held_by_agent $agent $ACCESS_COMPANION 20; then
            pass access.agent_seizes_companion_unprivileged
            # Beside it, the pen digitizer: its node not opened, its twin not grabbed.
            pen_hidraw=$(nodes_of pen | head -n 1)
            opened=no
            for fd in /proc/$agent/fd/*; do
                [ "$(readlink "$fd")" = "$pen_hidraw" ] && opened=yes
            done
            if [ $opened = no ] &&
                e2e grab --companion $ACCESS_PEN --twins 1 --expect free >&2; then
                pass access.pen_digitizer_left_alone
            else
                fail access.pen_digitizer_left_alone "opened: $opened; or its twin is grabbed"
            fi
            if grep -F "is a pen digitizer but not a companion" /tmp/access/state/Logs/drawlume-agent/*.log >&2; then
                pass access.pen_digitizer_refusal_logged
            else
                fail access.pen_digitizer_refusal_logged "no refusal in the agent's log"
            fi
        else
            cat /tmp/access-agent.err >&2
            fail access.agent_seizes_companion_unprivileged "given$granted, the agent did not seize the companion"
        fi
        stop $agent
        chown root /dev/uinput && chmod "$uinput_mode" /dev/uinput
    fi
    touch /tmp/access-end
    for pid in $access_pids; do wait $pid; done
    stop_udevd
fi
