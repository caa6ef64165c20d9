# The Wayland stage: sway on two headless outputs of different sizes side by side,
# its libinput backend reading the input devices through seatd, run by the user
# "drawer"; the agent with its windows on that desktop, as the user starts it, with
# the second output chosen in its settings; a client covering both outputs that
# prints where the pen and the pointer land. The pen must land on the chosen output,
# and the companion's mouse must go on from wherever the user's own mouse left the
# pointer.
WAYLAND_UNIQ=aa:bb:cc:dd:ee:90
WAYLAND_RUN=/tmp/wl-run
# Report positions of the pen (x,y out of 32767), hovering over the chosen output.
WAYLAND_PEN_POINTS="8192,8192 16384,16384 24576,4096 2048,30000 30000,24000"
# The user's own Bluetooth mouse (a second device of the companion's make, which the
# agent lists and leaves alone): 20 steps of -12,-3 counts, which move the pointer
# well away from where the agent last put it.
WAYLAND_USER_UNIQ=aa:bb:cc:dd:ee:91

unprivileged_user
grep -q '^drawer:' /etc/group || echo 'drawer:x:1000:' >>/etc/group
mkdir -p /usr/share/libinput
cp $E2E/libinput/quirks/* /usr/share/libinput/
rm -rf $WAYLAND_RUN /tmp/wl-* && mkdir -p $WAYLAND_RUN/config/drawlume-agent $WAYLAND_RUN/state
chmod 700 $WAYLAND_RUN
printf '{"selectedMonitorIndex": 1}\n' >$WAYLAND_RUN/config/drawlume-agent/defaults.json
chown -R drawer $WAYLAND_RUN
# Where wlroots and Qt make their shared-memory buffers (shm_open).
mkdir -p /dev/shm && mount -t tmpfs -o mode=1777 tmpfs /dev/shm

{
    echo "wait /tmp/wl-go-pen 60000"
    for point in $WAYLAND_PEN_POINTS; do
        # Held a moment, as a hand does: the compositor sees a settled position.
        for repeat in 1 2 3; do
            echo "pen range x=${point%,*} y=${point#*,}"
            echo "sleep 50"
        done
    done
    echo "pen x=16384 y=16384"
    echo "touch /tmp/wl-pen-sent"
    for report in a b; do
        echo "wait /tmp/wl-go-mouse-$report 60000"
        echo "mouse dx=10 dy=0"
        echo "sleep 300"
        echo "touch /tmp/wl-mouse-$report-sent"
    done
    echo "wait /tmp/wl-end 60000"
} >/tmp/wl-companion.txt

# as_drawer COMMAND &: runs the command in the background as the desktop's user, in
# the session's environment; $! is the command's own process.
as_drawer() {
    XDG_RUNTIME_DIR=$WAYLAND_RUN HOME=$WAYLAND_RUN XDG_CONFIG_HOME=$WAYLAND_RUN/config \
        XDG_STATE_HOME=$WAYLAND_RUN/state exec su -p -s /bin/sh drawer -c "exec $1"
}

# lines_now: how many lines the client has printed so far, to split its output by phase.
lines_now() {
    wc -l </tmp/wl-client.out
}

# last_pointer FROM TO: the last pointer position the client printed within those lines.
last_pointer() {
    sed -n "$(($1 + 1)),$2p" /tmp/wl-client.out | awk '$1 == "pointer" { p = $2 " " $3 } END { print p }'
}

wayland_pen_checks() {
    touch /tmp/wl-go-pen
    wait_for_file /tmp/wl-pen-sent 30 || fail wayland.companion "the companion did not send the pen"
    sleep 0.5
    chosen=$(awk '$1 == "output" && $2 == "HEADLESS-2" { print $3, $4, $5, $6 }' /tmp/wl-client.out)
    for point in $WAYLAND_PEN_POINTS; do
        # Where the report value puts the pen on the chosen output, and the pen line
        # nearest to it.
        verdict=$(awk -v rect="$chosen" -v x="${point%,*}" -v y="${point#*,}" '
            BEGIN { split(rect, r, " "); ex = r[1] + x / 32767 * r[3]; ey = r[2] + y / 32767 * r[4]
                best = -1 }
            $1 == "pen" { d = ($2 - ex) * ($2 - ex) + ($3 - ey) * ($3 - ey)
                if (best < 0 || d < best) { best = d; near = $2 "," $3 } }
            END { printf "%s expected %.2f,%.2f; nearest pen line %s\n", (best >= 0 && best <= 1 ?
                "ok" : "off"), ex, ey, (best < 0 ? "none" : near) }
        ' /tmp/wl-client.out)
        echo "wayland: pen at $point: ${verdict#* }" >&2
        if [ "${verdict%% *}" = ok ]; then pass "wayland.pen_at_${point%,*}_${point#*,}_on_chosen_output"
        else fail "wayland.pen_at_${point%,*}_${point#*,}_on_chosen_output" "${verdict#* }"; fi
    done
}

# The companion's move, the user's mouse, the companion's move again: the second
# move must start where the user's mouse left the pointer.
wayland_user_mouse_check() {
    rm -f /tmp/wl-user-ready
    {
        echo "wait /tmp/wl-go-user 30000"
        for step in $(seq 20); do echo "mouse dx=-12 dy=-3"; echo "sleep 10"; done
        # The compositor reads the last frame before the mouse goes away.
        echo "sleep 200"
        echo "touch /tmp/wl-user-moved"
    } >/tmp/wl-user.txt
    e2e companion --descriptor "$DESCRIPTOR" --uniq $WAYLAND_USER_UNIQ --name "E2E User Mouse" \
        --ready /tmp/wl-user-ready --timeout-ms 10000 /tmp/wl-user.txt 2>>/tmp/wl-user.err &
    mouse=$!
    wait_for_file /tmp/wl-user-ready 10
    udevadm settle --timeout=10
    sleep 0.5
    touch /tmp/wl-go-mouse-a
    wait_for_file /tmp/wl-mouse-a-sent 20
    sleep 0.3
    before_user=$(lines_now)
    touch /tmp/wl-go-user
    wait_for_file /tmp/wl-user-moved 20
    wait $mouse
    after_user=$(lines_now)
    touch /tmp/wl-go-mouse-b
    wait_for_file /tmp/wl-mouse-b-sent 20
    sleep 0.3
    agent_left=$(last_pointer 0 "$before_user")
    user_left=$(last_pointer "$before_user" "$after_user")
    then_companion=$(last_pointer "$after_user" "$(lines_now)")
    echo "wayland: pointer after the companion: $agent_left; the user: $user_left; the companion: $then_companion" >&2
    verdict=$(echo "$agent_left $user_left $then_companion" | awk '
        NF < 6 { print "missing pointer lines (companion, user, companion): " $0; exit }
        { dx = $5 - $3; dy = $6 - $4
          if (dx > 0 && dx <= 40 && dy >= -2 && dy <= 2) print "ok"
          else printf "companion left it at %s,%s, the user at %s,%s, then +10,0 put it at %s,%s\n", $1, $2, $3, $4, $5, $6 }')
    if [ "$verdict" = ok ]; then pass wayland.companion_mouse_goes_on_from_the_user_mouse
    else fail wayland.companion_mouse_goes_on_from_the_user_mouse "$verdict"; fi
}

if start_udevd wayland.udevd_runs; then
    seatd -u drawer -g drawer -l error 2>/tmp/wl-seatd.err &
    seatd=$!
    wait_for_file /run/seatd.sock 10
    WLR_BACKENDS=headless,libinput WLR_HEADLESS_OUTPUTS=2 WLR_RENDERER=pixman \
        WLR_LIBINPUT_NO_DEVICES=1 LIBSEAT_BACKEND=seatd \
        as_drawer "sway -c $E2E/wayland/sway.config" >/tmp/wl-sway.log 2>&1 &
    sway=$!
    until=$(($(uptime_seconds) + 20))
    while ! ls $WAYLAND_RUN/wayland-? >/dev/null 2>&1 && [ "$(uptime_seconds)" -lt "$until" ]; do
        sleep 0.1
    done
    socket=$(ls $WAYLAND_RUN/wayland-? 2>/dev/null | head -n 1)
    if [ -n "$socket" ]; then
        pass wayland.sway_runs
        export WAYLAND_DISPLAY=${socket##*/}
        e2e companion --descriptor "$DESCRIPTOR" --uniq $WAYLAND_UNIQ --ready /tmp/wl-companion \
            --timeout-ms 10000 /tmp/wl-companion.txt 2>/tmp/wl-companion.err &
        companion=$!
        wait_for_file /tmp/wl-companion 10
        # What logind's ACL gives the user at the seat: the companion and uinput.
        hid=$(cat /tmp/wl-companion)
        chown drawer /dev/uinput
        for node in "$hid"/hidraw/hidraw*; do chown drawer "/dev/${node##*/}"; done
        for node in "$hid"/input/input*/event*; do chown drawer "/dev/input/${node##*/}"; done
        QT_QPA_PLATFORM=wayland as_drawer "$AGENT" >/tmp/wl-agent.out 2>&1 &
        agent=$!
        if held_by_agent $agent $WAYLAND_UNIQ 30; then
            pass wayland.agent_with_windows_seizes_companion
            as_drawer "e2e_wayland_client --ready $WAYLAND_RUN/client-ready" \
                >/tmp/wl-client.out 2>/tmp/wl-client.err &
            client=$!
            if wait_for_file $WAYLAND_RUN/client-ready 20; then
                layout=$(awk '$1 == "output" { printf "%s%s %s,%s %sx%s", s, $2, $3, $4, $5, $6; s = "; " }' /tmp/wl-client.out)
                if [ "$layout" = "HEADLESS-1 0,0 1280x720; HEADLESS-2 1280,0 1024x768" ]; then
                    pass wayland.outputs_side_by_side
                else
                    fail wayland.outputs_side_by_side "the client sees: $layout"
                fi
                # The agent's devices reach sway through udev, as on a desktop.
                udevadm settle --timeout=10
                sleep 0.5
                wayland_pen_checks
                wayland_user_mouse_check
            else
                cat /tmp/wl-client.err >&2
                fail wayland.client_covers_outputs "the client's surfaces were not shown within 20 s"
            fi
            stop $client
        else
            cat /tmp/wl-agent.out >&2
            fail wayland.agent_with_windows_seizes_companion "the agent did not seize the companion within 30 s"
        fi
        touch /tmp/wl-end
        stop $agent
        wait $companion
        unset WAYLAND_DISPLAY
    else
        fail wayland.sway_runs "no Wayland socket within 20 s"
    fi
    # What each program said, each line once (sway repeats a failing frame's line).
    { sed 's/^[0-9:.]* //' /tmp/wl-sway.log | awk '!seen[$0]++' | tail -n 40
        cat /tmp/wl-seatd.err /tmp/wl-client.err; grep -v '^pointer\|^pen' /tmp/wl-client.out
        tail -n 20 /tmp/wl-agent.out; } >&2 2>/dev/null
    stop $sway
    stop $seatd
    chown root /dev/uinput
fi
umount /dev/shm
stop_udevd
