#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "LogCapture.hpp"
#include "displays/ScreenList.hpp"
#include "platform/linux/uinput/GeneratorRecords.hpp"
#include "platform/linux/uinput/RecordingUinputWriter.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"

namespace drawlume::testing {

// A sink on a 1024 x 512 primary display: 32 axis units per pixel across,
// 64 down, so positions come out as round numbers (a whole pixel p maps to the
// middle of its units: p * 32 + 16 across, p * 64 + 32 down).
class SinkFixture : public ::testing::Test {
protected:
    using R = GeneratorRecords;

    void SetUp() override {
        screens_.setScreens({{"Primary", Rect{{0, 0}, {1024, 512}}}});
        makeSink();
    }

    void TearDown() override { sink_.reset(); }

    void makeSink(std::unique_ptr<PointerPositionSource> pointer = nullptr,
                  PointerMotion motion = PointerMotion::absolute) {
        sink_.reset();
        log_->frames.clear();
        sink_ = std::make_unique<UinputEventSink>(std::make_unique<RecordingUinputWriter>(log_),
                                                  screens_, std::move(pointer), motion);
    }

    std::vector<WrittenFrame> post(const EventRecord& record) {
        sink_->post(record);
        return log_->take();
    }

    std::vector<std::string> logTexts() { return logCapture_.lines(); }

    LogCapture logCapture_;
    FixedScreenList screens_;
    std::shared_ptr<WriterLog> log_ = std::make_shared<WriterLog>();
    std::unique_ptr<UinputEventSink> sink_;
};

}  // namespace drawlume::testing
