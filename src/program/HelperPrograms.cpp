#include "program/HelperPrograms.hpp"

#include "platform/linux/session/ExecutablePath.hpp"

namespace drawlume {

std::string companionCheckPath() {
    return helperProgramPath("drawlume-companion-check");
}

std::string feedDownloadModulePath() {
    return helperProgramPath("drawlume-agent-net.so");
}

std::string agentProgramPath() {
    return executablePath();
}

}  // namespace drawlume
