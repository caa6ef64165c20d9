# Sourced by scripts/screenshots and scripts/memory: a virtual X server with a
# tray host on a display number nobody uses. The caller keeps a `pids` array
# and stops what it names on exit.

# start_virtual_display: starts Xvfb and trayer and exports DISPLAY for Qt's xcb.
start_virtual_display() {
    local display=99
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    # The tray host: a panel strip at the top right of the screen.
    trayer --edge top --align right --widthtype request --height 28 --transparent false \
        --tint 0x303030 --SetDockType true >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
}
