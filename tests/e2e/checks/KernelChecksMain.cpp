// e2e_kernel_checks: what the agent relies on in the kernel, checked on a real one
// without the agent: uhid, hidraw, hid-input's twins, grabs, uinput.
//
//   e2e_kernel_checks --descriptor FILE --data DIR

#include <cstdio>
#include <string>

#include "CompanionDescriptor.hpp"
#include "KernelChecks.hpp"

using namespace drawlume::e2e;

int main(int argc, char** argv) {
    std::string descriptorPath;
    KernelCheckContext context;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--descriptor") {
            descriptorPath = argv[i + 1];
        } else if (arg == "--data") {
            context.dataDir = argv[i + 1];
        }
    }
    if (descriptorPath.empty() || context.dataDir.empty()) {
        std::fprintf(stderr, "usage: e2e_kernel_checks --descriptor FILE --data DIR\n");
        return 2;
    }
    std::string error;
    context.descriptor = readDescriptorFile(descriptorPath, error);
    CheckReporter reporter;
    if (context.descriptor.empty()) {
        reporter.fail("kernel.descriptor", error);
        return 1;
    }
    runCompanionChecks(reporter, context);
    runGrabCheck(reporter, context);
    runUinputCheck(reporter, context);
    return reporter.failures() == 0 ? 0 : 1;
}
