# Shared by run-e2e and run-latency (sourced): preparing the kernel, the image and
# the boot, and reading the guest's results.

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Exits 77 (skipped) with a clear message when this machine cannot run the VM at all.
vm_require_qemu() {
    if ! command -v qemu-system-x86_64 >/dev/null; then
        echo "$1: skipped: qemu-system-x86_64 is not installed (scripts/bootstrap installs it)"
        exit 77
    fi
}

# Fetches the kernel into the build tree's cache; skipped when it cannot be had.
vm_kernel() {
    local cache=$1 who=$2
    if ! "$repo/scripts/vm/fetch-kernel" "$cache" >&2; then
        echo "$who: skipped: Debian's stock kernel could not be fetched (see above)"
        exit 77
    fi
}

# The agent runs in the guest: without it the run cannot prove anything.
vm_require_agent() {
    if [ ! -x "$2/drawlume-agent" ]; then
        echo "$1: $2/drawlume-agent is not built (make build)"
        exit 1
    fi
}

# Adds interception-tools' two programs to the image's programs (the array
# `programs`) and sets `intercept` to the capture program's name: Debian's package
# names it "interception", upstream calls it "intercept". Fails when they are missing.
vm_interception_tools() {
    local path uinput
    path=$(command -v intercept || command -v interception || true)
    uinput=$(command -v uinput || true)
    if [ -z "$path" ] || [ -z "$uinput" ]; then
        echo "$1: intercept or uinput is missing (package interception-tools)"
        exit 1
    fi
    programs+=(--bin "$path" --bin "$uinput")
    intercept=$(basename "$path")
}

# Stages the guest's files: the guest scripts, the test data, the descriptor.
vm_stage() {
    local stage=$1
    rm -rf "$stage" && mkdir -p "$stage/data" "$stage/guest"
    cp -r "$repo/tests/e2e/data/." "$stage/data/"
    cp -r "$repo/tests/data/companion-descriptor.txt" "$repo/tests/data/bluetooth" \
        "$repo/tests/data/digitizers" "$stage/data/"
    cp "$repo/tests/e2e/guest/"*.sh "$stage/guest/"
}

# Boots and reports: prints the guest's result lines, the figures of the run and
# the "N passed, N failed" line; returns 0 only when every check passed.
vm_boot_and_report() {
    local who=$1 kernel=$2 initrd=$3 out=$4
    shift 4
    local status=0
    "$repo/scripts/vm/boot" --kernel "$kernel" --initrd "$initrd" --out "$out" "$@" || status=$?
    if [ "$status" -eq 125 ]; then
        echo "$who: skipped: qemu could not start the guest; the console said:"
        tail -n 20 "$out/console.log" | sed 's/^/    /'
        return 77
    fi
    local results=$out/results.txt
    grep -vE '^(BOOTED|END) ' "$results" || true
    local passed failed skipped booted ended
    passed=$(grep -c '^PASS ' "$results" || true)
    failed=$(grep -c '^FAIL ' "$results" || true)
    skipped=$(grep -c '^SKIP ' "$results" || true)
    booted=$(awk '/^BOOTED / { print $2 }' "$results")
    ended=$(awk '/^END / { print $2 }' "$results")
    if [ "$status" -ne 0 ]; then
        echo "FAIL vm.guest_finished: the guest did not finish within the time-out (status $status)"
        failed=$((failed + 1))
    fi
    if [ "$failed" -gt 0 ] || [ -n "${VM_VERBOSE:-}" ]; then
        echo "---- console (last 60 lines of $out/console.log)"
        tail -n 60 "$out/console.log"
        echo "----"
    fi
    awk -v b="$booted" -v e="$ended" -v w="$(cat "$out/wall-ms")" -v a="$(cat "$out/accel")" \
        -v who="$who" 'BEGIN {
            printf "%s: guest up at %ss (to init), checks %.1fs, qemu wall %.1fs, accel %s\n",
                who, b, (e == "" ? 0 : e - b), w / 1000, a }'
    if [ "$skipped" -gt 0 ]; then
        echo "$passed passed, $failed failed, $skipped skipped"
    else
        echo "$passed passed, $failed failed"
    fi
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}
