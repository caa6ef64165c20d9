# The libinput stage: systemd-udevd classifies the agent's devices, and a libinput
# client on the udev seat, started before the agent as a desktop is, reads them while
# the companion plays data/scripts/libinput.txt. The client prints its own checks.
# udev's input rules, libinput's quirks and the project's rule and quirk come staged
# from the host (run-e2e), installed where the package puts them.
LIBINPUT_UNIQ=aa:bb:cc:dd:ee:70
mkdir -p /usr/share/libinput
cp $E2E/libinput/quirks/* /usr/share/libinput/
rm -f /tmp/li-*
{
    echo "wait /tmp/li-go 30000"
    cat "$DATA/scripts/libinput.txt"
    echo "touch /tmp/li-sent"
} >/tmp/li-companion.txt

if start_udevd libinput.udevd_runs; then
    timeout 120 e2e libinput --ready /tmp/li-ready --done /tmp/li-done \
        --timeout-ms 90000 2>/tmp/li-client.err &
    client=$!
    wait_for_file /tmp/li-ready 20 || fail libinput.client_started "no libinput context on seat0"
    e2e companion --descriptor "$DESCRIPTOR" --uniq $LIBINPUT_UNIQ --ready /tmp/li-companion \
        --timeout-ms 10000 /tmp/li-companion.txt &
    companion=$!
    wait_for_file /tmp/li-companion 10 || fail libinput.companion "the companion did not appear"
    XDG_CONFIG_HOME=/tmp/li-agent/config XDG_STATE_HOME=/tmp/li-agent/state \
        "$AGENT" --headless >/tmp/li-agent.out 2>&1 &
    agent=$!
    if held_by_agent $agent $LIBINPUT_UNIQ 15; then
        # Every device processed, so the client has opened the agent's three.
        udevadm settle --timeout=10
        sleep 0.5
        touch /tmp/li-go
        wait_for_file /tmp/li-sent 30 || fail libinput.companion "the companion did not finish"
    else
        cat /tmp/li-agent.out >&2
        fail libinput.agent "the agent did not seize the companion within 15 s"
    fi
    # The agent has released what the removal left down; the client drains and checks.
    sleep 1
    touch /tmp/li-done
    wait $client
    case $? in
        0 | 1) ;;
        *) cat /tmp/li-client.err >&2; fail libinput.client_finished "the client crashed or ran out of time" ;;
    esac
    grep -E "^libinput (log|event)" /tmp/li-client.err | head -n 80 >&2
    stop $agent
    stop $companion
fi
stop_udevd
