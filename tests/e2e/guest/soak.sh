# The soak: the agent under a steady stream of pen reports for SOAK_SECONDS (see
# e2e soak, which prints the figures and the result lines); then, when
# SOAK_REFERENCE_SECONDS is set, interception-tools' re-injection under the same
# stream, whose CPU time per report the host sets the agent's against.
rm -rf /tmp/soak && mkdir -p /tmp/soak/config /tmp/soak/state
export XDG_CONFIG_HOME=/tmp/soak/config XDG_STATE_HOME=/tmp/soak/state
run_program soak.finished $((SOAK_SECONDS * 2 + 60)) \
    e2e soak --descriptor "$DESCRIPTOR" --name agent --seconds "$SOAK_SECONDS" \
    --command "exec $AGENT --headless 2>/tmp/soak/agent.err" --device "$AGENT_PEN_DEVICE"
if [ "${SOAK_REFERENCE_SECONDS:-0}" -gt 0 ]; then
    run_program soak.reference_finished $((SOAK_REFERENCE_SECONDS * 2 + 60)) \
        e2e soak --descriptor "$DESCRIPTOR" --name interception --reference \
        --seconds "$SOAK_REFERENCE_SECONDS" --command "$INTERCEPT -g {twin} | uinput -d {twin}" \
        --device "{twinname}"
fi
