# Sourced by scripts/screenshots, scripts/memory and scripts/ui-cpu: a virtual
# X server with a tray host on a display number nobody uses. The caller keeps
# a `pids` array and stops what it names on exit.

# start_virtual_display [SIZE [PANEL-TINT [WM]]]: starts Xvfb (1280x1024 by
# default) and trayer (a dark panel, 0x303030, by default), with openbox
# when WM is "openbox", and exports DISPLAY for Qt's xcb.
start_virtual_display() {
    local size=${1:-1280x1024} tint=${2:-0x303030} wm=${3:-}
    local display=99
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    if [ "$wm" = openbox ]; then
        openbox --sm-disable >/dev/null 2>&1 &
        pids+=($!)
        sleep 0.5
    fi
    # The tray host: a panel strip at the top right of the screen.
    # trayer paints its tint only as "transparent" with no see-through.
    trayer --edge top --align right --widthtype request --height 28 --transparent true \
        --alpha 0 --tint "$tint" --SetDockType true --SetPartialStrut true >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
}
