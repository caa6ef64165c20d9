#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "input/InputReportHandler.hpp"
#include "platform/fake/CompanionReports.hpp"
#include "platform/fake/FakeTranslationServices.hpp"
#include "platform/fake/RecordingEventGenerator.hpp"

namespace drawlume::testing {

using Op = GeneratorCall::Operation;

// A handler driving a recording generator, with every log line recorded.
class HandlerFixture : public ::testing::Test {
protected:
    static constexpr int64_t kDevice = 0x1234;

    void send(uint32_t reportID, const std::vector<uint8_t>& bytes, int64_t device = kDevice) {
        handler.handleInputReport(device, 0, reportID, bytes.data(),
                                  static_cast<int64_t>(bytes.size()));
    }

    static std::vector<uint8_t> penReport(uint8_t flags) { return digitizerReport(flags); }
    void pen(uint8_t flags) { send(companion::kPenReportID, penReport(flags)); }

    // A keyboard report with up to six keys down.
    void keyboard(uint8_t modifiers, std::initializer_list<uint8_t> usages) {
        companion::KeyboardReport report;
        report.modifiers = modifiers;
        std::copy(usages.begin(), usages.end(), report.keys.begin());
        const auto bytes = companion::encode(report);
        send(companion::kKeyboardReportID, {bytes.begin(), bytes.end()});
    }

    std::vector<Op> operations() const { return generator->operations(); }
    const std::vector<GeneratorCall>& calls() const { return generator->calls; }
    void forgetCalls() { generator->calls.clear(); }

    LogCapture logCapture;
    FakeTranslationServices services;
    std::shared_ptr<RecordingEventGenerator> generator =
        std::make_shared<RecordingEventGenerator>();
    InputReportHandler handler{generator, services.environment()};
};

}  // namespace drawlume::testing
