#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/TabletViewModel.hpp"
#include "localization/AppLocalization.hpp"
#include "platform/fake/FakeAccessibilityTrust.hpp"
#include "platform/fake/FakeHidHost.hpp"
#include "platform/fake/ManualClocks.hpp"
#include "platform/fake/RecordingAlerts.hpp"
#include "platform/fake/RecordingEventSink.hpp"
#include "platform/fake/RecordingWorkspace.hpp"
#include "platform/replay/HidRecordingParser.hpp"
#include "program/AgentCore.hpp"
#include "services/SystemEvents.hpp"
#include "ui/AppDelegate.hpp"
#include "ui/MainWindow.hpp"
#include "ui/QtRunLoop.hpp"

namespace drawlume {

// The whole shell over fakes of the platform: a scripted HID host, recorded
// events, alerts and opened folders, two displays, settings in memory.
struct Shell {
    explicit Shell(bool permitted = true) {
        if (!permitted) {
            trust.deny(AccessibilityTrustReason::outputDenied);
        }
        delegate.applicationDidFinishLaunching();
    }
    ~Shell() { delegate.applicationWillTerminate(); }

    std::shared_ptr<FakeHidDevice> connect(const std::string& serial, const std::string& product) {
        auto device = std::make_shared<FakeHidDevice>(FakeHidDevice::companionDescriptor());
        device->setProperty(kIOHIDProductKey, product);
        device->setProperty(kIOHIDTransportKey, std::string("Bluetooth"));
        device->setProperty(kIOHIDSerialNumberKey, serial);
        host.connect(device);
        return device;
    }
    // The pictures' and measurements' pair: a pad that draws, a phone beside it.
    std::shared_ptr<FakeHidDevice> connectPadAndPhone() {
        auto pad = connect("aa:01", "Studio Tablet");
        connect("aa:02", "Pocket Phone");
        return pad;
    }
    TabletViewModel& model() { return *delegate.viewModel(); }
    // A text in the language the shell shows now.
    QString text(const char* key) {
        return QString::fromStdString(core.localization().localized(key));
    }
    template <class Widget>
    Widget* find(const char* name) {
        return delegate.window()->findChild<Widget*>(QString::fromLatin1(name));
    }

    QtRunLoop loop;
    SystemEventsHub events;
    FakeAccessibilityTrust trust;
    RecordingEventSink sink;
    FakeHidHost host;
    RecordingAlerts alerts;
    RecordingWorkspace workspace;
    ManualClocks clocks;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    AgentCore core{AgentPlatform{
        loop, events, trust, sink, nullptr, host, alerts, clocks,
        std::make_shared<FixedScreenList>(std::vector<ScreenDescription>{
            {"Built-in", Rect{{0, 0}, {1920, 1080}}}, {"External", Rect{{1920, 0}, {2560, 1440}}}}),
        defaults}};
    int exitStatus = -1;
    // The permission set-up: the package's commands, pkexec there, nothing run.
    PermissionSetup setup{
        true, "/usr/lib/drawlume-agent/drawlume-companion-check", "/src", true,
        [](const QString&, const QStringList&, const std::function<void(int, const QString&)>&) {}};
    AppDelegate delegate{AppDelegate::Services{
        *defaults, core.localization(), alerts, workspace, core.debugLogCollector(), "/tmp/logs",
        [this] { return core.makeViewModel(); }, true, [this](int status) { exitStatus = status; },
        nullptr, [this] { return setup; }}};
};

// The reports of a recording's first device, which the tools play to the pad;
// none, said on standard error, when the file gives none.
inline std::vector<RecordedReport> padReports(const std::string& path, const char* tool) {
    HidRecordingParser::Result parsed = HidRecordingParser::parseFile(path);
    if (!parsed.recording || parsed.recording->devices.empty()) {
        std::fprintf(stderr, "%s: %s\n", tool, parsed.message().c_str());
        return {};
    }
    return std::move(parsed.recording->devices.front().reports);
}

}  // namespace drawlume
