# The latency run inside the test VM (scripts/vm/run-latency): each variant alone, on
# the same virtual CPUs, taken in turns over ROUNDS rounds of COUNT / ROUNDS reports,
# so that a change in the host's load weighs on all of them alike; then the figures
# of each over all its rounds. Settings come from latency.conf.
E2E=/e2e
DESCRIPTOR=$E2E/data/companion-descriptor.txt
. $E2E/data/latency.conf
. $E2E/guest/lib.sh
RELAY_DEVICE="Least relay pen"
RELAY="exec e2e_least_relay {hidraw} {twin} '$RELAY_DEVICE'"
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
    # (d) The least any relay of this kind costs: a blocking read, one write a report.
    round_of relay --command "$RELAY" --device "$RELAY_DEVICE"
    round=$((round + 1))
done

# The agent's and the relay's system calls per report, traced apart from the timed
# rounds (tracing slows every call many times over). Paced, so that each report
# finds the program waiting: sent one after the other, the next report would be
# there before a traced program got back to waiting, and it would never wait.
for name in agent relay; do
    if [ "$name" = agent ]; then set -- "exec $AGENT --headless" "$AGENT_PEN_DEVICE"
    else set -- "$RELAY" "$RELAY_DEVICE"; fi
    if timeout 600 e2e_latency_probe --descriptor "$DESCRIPTOR" --count "$TRACED" \
        --variant "$name" --command "$1" --device "$2" --strace "/tmp/strace-$name.txt" \
        --rate "$TRACED_RATE" --warmup 0; then
        pass "bench.syscalls_$name"
    else
        fail "bench.syscalls_$name" "no count (see the console)"
    fi
done

# CPU time per report of the headless agent and of the relay, paced as a companion
# sends while drawing.
for name in agent relay; do
    if [ "$name" = agent ]; then set -- "exec $AGENT --headless" "$AGENT_PEN_DEVICE"
    else set -- "$RELAY" "$RELAY_DEVICE"; fi
    if timeout 600 e2e_latency_probe --descriptor "$DESCRIPTOR" --variant "$name" \
        --command "$1" --device "$2" --rate "$CPU_RATE" --warmup 0 \
        --count $((CPU_RATE * CPU_SECONDS)); then
        pass "bench.cpu_$name"
    else
        fail "bench.cpu_$name" "no figure (see the console)"
    fi
done

for name in kernel interception agent relay; do
    if [ -e "/tmp/latency-$name.failed" ]; then
        fail "bench.latency_$name" "a round failed (see the console)"
    elif e2e_latency_probe --summarize "/tmp/latency-$name.txt" --variant $name; then
        pass "bench.latency_$name"
    else
        fail "bench.latency_$name" "no figures"
    fi
done
