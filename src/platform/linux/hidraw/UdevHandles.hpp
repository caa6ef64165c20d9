#pragma once

#include <memory>

#include <libudev.h>

namespace drawlume {

// Owning handles for libudev objects: each drops its reference when it goes.
struct UdevUnref {
    void operator()(udev* handle) const { udev_unref(handle); }
    void operator()(udev_device* handle) const { udev_device_unref(handle); }
    void operator()(udev_enumerate* handle) const { udev_enumerate_unref(handle); }
    void operator()(udev_monitor* handle) const { udev_monitor_unref(handle); }
};

using UdevHandle = std::unique_ptr<udev, UdevUnref>;
using UdevDeviceHandle = std::unique_ptr<udev_device, UdevUnref>;
using UdevEnumerateHandle = std::unique_ptr<udev_enumerate, UdevUnref>;
using UdevMonitorHandle = std::unique_ptr<udev_monitor, UdevUnref>;

}  // namespace drawlume
