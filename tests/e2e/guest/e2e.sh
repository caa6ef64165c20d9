# The end-to-end run inside the test VM. init starts it with its standard output on
# the results port: every check prints "PASS name", "FAIL name: reason" or
# "SKIP name: reason"; diagnostics go to standard error (the console).
E2E=/e2e
DATA=$E2E/data
DESCRIPTOR=$DATA/companion-descriptor.txt
. $E2E/guest/lib.sh

# What the kernel does for the agent, checked without it.
run_program kernel.checks_finished 90 \
    e2e_kernel_checks --descriptor "$DESCRIPTOR" --data "$DATA"

# The tools the agent scenario is built from, proven against the kernel's twins.
. $E2E/guest/tool-checks.sh

# The agent's own scenario: skipped until the agent can run without a display.
. $E2E/guest/agent-scenario.sh
