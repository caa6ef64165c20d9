#include "platform/linux/session/LinuxSystemInformation.hpp"

#include <ctime>
#include <string>

#include <sys/utsname.h>

namespace drawlume {

namespace {

const char* buildArchitecture() {
#if defined(__x86_64__)
    return "x86_64";
#elif defined(__aarch64__)
    return "arm64";
#elif defined(__i386__)
    return "i386";
#elif defined(__riscv) && __riscv_xlen == 64
    return "riscv64";
#else
    return "unknown";
#endif
}

}  // namespace

std::string kernelVersionTriple(const std::string& release) {
    long parts[3] = {0, 0, 0};
    size_t at = 0;
    for (long& part : parts) {
        size_t digits = 0;
        while (at + digits < release.size() && release[at + digits] >= '0' &&
               release[at + digits] <= '9') {
            part = part * 10 + (release[at + digits] - '0');
            ++digits;
        }
        at += digits;
        if (digits == 0 || at >= release.size() || release[at] != '.') {
            break;
        }
        ++at;
    }
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]);
}

SystemInformation readSystemInformation() {
    SystemInformation information;
    information.appVersion = DRAWLUME_VERSION;
    information.appBuild = DRAWLUME_BUILD_NUMBER;
    utsname names{};
    information.osVersion = ::uname(&names) == 0 ? kernelVersionTriple(names.release) : "0.0.0";
    information.architecture = buildArchitecture();
    timespec boot{};
    if (::clock_gettime(CLOCK_BOOTTIME, &boot) == 0) {
        information.uptimeSeconds = boot.tv_sec;
    }
    return information;
}

}  // namespace drawlume
