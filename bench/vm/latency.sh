# The latency run inside the test VM (scripts/vm/run-latency): each variant alone,
# one after the other, on the same virtual CPUs. Settings come from latency.conf.
E2E=/e2e
DESCRIPTOR=$E2E/data/companion-descriptor.txt
. $E2E/data/latency.conf
. $E2E/guest/lib.sh

# run_variant NAME PROBE-ARGUMENTS...
run_variant() {
    name=$1
    shift
    if timeout 600 e2e_latency_probe --descriptor "$DESCRIPTOR" --count "$COUNT" \
        --variant "$name" "$@"; then
        pass "bench.latency_$name"
    else
        fail "bench.latency_$name" "the probe failed (see the console)"
    fi
}

# (a) The floor: the kernel's own hid-input frame on the companion's Stylus twin.
run_variant kernel

# (c) interception-tools: the twin grabbed and re-injected through a uinput clone.
run_variant interception --command "$INTERCEPT -g {twin} | uinput -d {twin}" \
    --device "{twinname}"

# (b) The agent: its pen device.
run_variant agent --command "$AGENT --headless" --device "$AGENT_PEN_DEVICE"
