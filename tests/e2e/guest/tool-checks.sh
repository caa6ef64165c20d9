# The companion simulator, the evdev reader and the grab checker as separate
# processes, the way the agent scenario uses them, against hid-input's own twins.

# The grab checker tells a held twin from a free one.
tool_grab_checker() {
    uniq=aa:bb:cc:dd:ee:11
    rm -f /tmp/companion-ready /tmp/grab-ready /tmp/done
    echo "wait /tmp/done 20000" >/tmp/hold.txt
    e2e companion --descriptor "$DESCRIPTOR" --uniq $uniq --ready /tmp/companion-ready \
        /tmp/hold.txt &
    companion=$!
    verdict=""
    if ! wait_for_file /tmp/companion-ready 10; then
        verdict="the companion did not appear"
    elif ! e2e grab --companion $uniq --expect free >&2; then
        verdict="twins reported held before anyone grabbed them"
    else
        e2e read --companion $uniq --twin Stylus --grab --ready /tmp/grab-ready \
            --timeout-ms 20000 --quiet-ms 20000 >/dev/null &
        holder=$!
        if ! wait_for_file /tmp/grab-ready 10; then
            verdict="the grabbing reader did not start"
        elif ! e2e grab --companion $uniq --twin Stylus --expect held >&2; then
            verdict="the grabbed Stylus twin was reported free"
        elif ! e2e grab --companion $uniq --twin Mouse --expect free >&2; then
            verdict="the Mouse twin was reported held though only the Stylus was grabbed"
        fi
        stop $holder
    fi
    touch /tmp/done
    wait $companion
    if [ -z "$verdict" ]; then pass tools.grab_checker_tells_held_from_free; else
        fail tools.grab_checker_tells_held_from_free "$verdict"; fi
}

# A reader in another process gets the stroke's frames from the Stylus twin.
twin_frames tools.reader_gets_stroke_from_twin aa:bb:cc:dd:ee:10 Stylus pen-stroke
tool_grab_checker
