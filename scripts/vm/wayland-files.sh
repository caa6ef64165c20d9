# The Wayland stage's files (sourced by run-e2e): sway and seatd, the stage's two
# programs, the agent's windows on Qt's Wayland platform with the plugins Qt loads
# from where its packages put them, the keyboard data sway compiles its keymap from,
# and one font with fontconfig's set-up. Adds to the array `programs`.

# vm_wayland_files WHO BUILD_DIR STAGE_DIR
vm_wayland_files() {
    local who=$1 build=$2 stage=$3 program plugin
    for program in sway seatd; do
        command -v "$program" >/dev/null ||
            { echo "$who: $program is missing (scripts/bootstrap installs it)"; exit 1; }
        programs+=(--bin "$(command -v "$program")")
    done
    for program in "$build/vm/guest/e2e_wayland_client" \
        "$build/drawlume-agent-ui.so"; do
        [ -e "$program" ] || { echo "$who: $program is not built (make build)"; exit 1; }
        programs+=(--bin "$program")
    done
    local qt
    qt=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
    for plugin in platforms/libqwayland-generic.so wayland-shell-integration/libxdg-shell.so \
        wayland-decoration-client/libbradient.so imageformats/libqsvg.so \
        iconengines/libqsvgicon.so; do
        [ -e "$qt/$plugin" ] || { echo "$who: $qt/$plugin is missing (package qt6-wayland)"; exit 1; }
        programs+=(--file "$qt/$plugin")
    done
    programs+=(--file /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
        --tree /etc/fonts:/etc/fonts --tree /usr/share/fontconfig:/usr/share/fontconfig
        --tree /usr/share/X11/xkb:/usr/share/X11/xkb)
    mkdir -p "$stage/wayland"
    cp "$repo/tests/e2e/wayland/sway.config" "$stage/wayland/"
}
