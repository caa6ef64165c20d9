# The end-to-end run inside the test VM. init starts it with its standard output on
# the results port: every check prints "PASS name", "FAIL name: reason" or
# "SKIP name: reason"; diagnostics go to standard error (the console).
# e2e.conf (written by the host) names the parts to run in SECTIONS and the length
# of the soak in SOAK_SECONDS.
E2E=/e2e
DATA=$E2E/data
DESCRIPTOR=$DATA/companion-descriptor.txt
. $E2E/guest/lib.sh
. $DATA/e2e.conf

for section in $SECTIONS; do
    case $section in
        agent) . $E2E/guest/agent-checks.sh ;;
        libinput) . $E2E/guest/libinput-checks.sh ;;
        # Who may reach which device: the udev rule and its companion check.
        access) . $E2E/guest/access-checks.sh ;;
        faults) . $E2E/guest/fault-checks.sh ;;
        output) . $E2E/guest/output-checks.sh ;;
        # A real Wayland desktop: where the pen and the pointer land.
        wayland) . $E2E/guest/wayland-checks.sh ;;
        soak) . $E2E/guest/soak.sh ;;
        *) fail "vm.section_$section" "no such part of the run" ;;
    esac
done
