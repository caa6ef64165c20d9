// The entry point of the windowed interface module, which the agent loads
// only when there is a display: a headless agent never maps Qt at all.
#include "ui/WindowedAgent.hpp"

// The agent finds it by this C name with dlsym(), so it keeps the C style.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" __attribute__((visibility("default"))) int drawlume_run_windowed(
    int argc, char** argv, const drawlume::AgentOptions* options,
    const drawlume::SessionLock* session) {
    return drawlume::runWindowedAgent(argc, argv, *options, session);
}
