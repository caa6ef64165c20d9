# The latency run inside the test VM (scripts/vm/run-latency): each variant alone, on
# the same virtual CPUs, taken in turns over ROUNDS rounds of COUNT / ROUNDS reports,
# so that a change in the host's load weighs on all of them alike; then the figures
# of each over all its rounds. Settings come from latency.conf.
E2E=/e2e
DESCRIPTOR=$E2E/data/companion-descriptor.txt
. $E2E/data/latency.conf
. $E2E/guest/lib.sh
PER_ROUND=$((COUNT / ROUNDS))
rm -f /tmp/latency-*.txt /tmp/latency-*.failed

# round_of NAME PROBE-ARGUMENTS...: one round of one variant.
round_of() {
    name=$1
    shift
    timeout 600 e2e_latency_probe --descriptor "$DESCRIPTOR" --count "$PER_ROUND" \
        --variant "$name" --samples "/tmp/latency-$name.txt" "$@" ||
        touch "/tmp/latency-$name.failed"
}

round=1
while [ $round -le "$ROUNDS" ]; do
    # (a) The floor: the kernel's own hid-input frame on the companion's Stylus twin.
    round_of kernel
    # (c) interception-tools: the twin grabbed and re-injected through a uinput clone.
    round_of interception --command "$INTERCEPT -g {twin} | uinput -d {twin}" \
        --device "{twinname}"
    # (b) The agent: its pen device.
    round_of agent --command "exec $AGENT --headless" --device "$AGENT_PEN_DEVICE"
    round=$((round + 1))
done

for name in kernel interception agent; do
    if [ -e "/tmp/latency-$name.failed" ]; then
        fail "bench.latency_$name" "a round failed (see the console)"
    elif e2e_latency_probe --summarize "/tmp/latency-$name.txt" --variant $name; then
        pass "bench.latency_$name"
    else
        fail "bench.latency_$name" "no figures"
    fi
done
