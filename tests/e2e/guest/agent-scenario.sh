# The agent's scenario, for when the agent runs without a display (--headless) with
# the hidraw host and the uinput sink. Until then every check is reported skipped.
AGENT=$E2E/bin/drawlume-agent
agent_skip_all() {
    for check in agent.seizes_companion agent.pen_stroke agent.pen_barrel agent.pen_eraser \
        agent.mouse agent.typing agent.removal_mid_stroke_releases_all agent.readd_activates \
        agent.second_companion_listed_not_opened agent.stop_releases_companion; do
        skip "$check" "$1"
    done
}
if [ ! -x "$AGENT" ]; then
    agent_skip_all "the agent is not in the image: it cannot run headless yet"
elif ! timeout 10 "$AGENT" --help 2>&1 | grep -q -- --headless; then
    agent_skip_all "the agent cannot run headless yet"
else
    . $E2E/guest/agent-checks.sh
fi
