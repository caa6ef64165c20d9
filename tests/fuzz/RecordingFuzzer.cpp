#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/fake/ManualRunLoop.hpp"
#include "platform/replay/HidRecordingParser.hpp"
#include "platform/replay/ReplayHidHost.hpp"

using namespace drawlume;

// Any text: rejected with a line number, or accepted and then played to its
// end through the replay host into buffers of the size the device claims.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = HidRecordingParser::parse(text, "fuzz.hid");
    if (!result.recording) {
        if (result.error.empty() || result.errorLine == 0) {
            std::abort();
        }
        return 0;
    }
    ManualRunLoop loop;
    ReplayHidHost host({*result.recording}, ReplayPacing::asFastAsPossible);
    std::vector<std::vector<uint8_t>> buffers;
    const auto manager = host.createManager(kIOHIDOptionsTypeNone);
    manager->registerDeviceMatchingCallback([&buffers](IOReturn, HidManager*,
                                                       const std::shared_ptr<HidDevice>& device) {
        const auto size = std::get<int64_t>(device->getProperty(kIOHIDMaxInputReportSizeKey));
        buffers.emplace_back(size > 0 ? size : 64);
        device->open(kIOHIDOptionsTypeSeizeDevice);
        device->registerInputReportCallback(
            buffers.back().data(), static_cast<int64_t>(buffers.back().size()),
            [](IOReturn, HidDevice*, IOHIDReportType, uint32_t, uint8_t* report, int64_t length) {
                if (length < 1 || report == nullptr) {
                    std::abort();
                }
            });
    });
    manager->scheduleWithRunLoop(loop);
    manager->open(kIOHIDOptionsTypeNone);
    loop.runUntilIdle();
    if (!host.isFinished()) {
        std::abort();
    }
    return 0;
}
