#include "platform/linux/hidraw/HidrawManager.hpp"

#include <cerrno>
#include <cstring>
#include <utility>

#include <unistd.h>

#include "devices/ReportDescriptorParser.hpp"
#include "logging/LogMacros.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"
#include "platform/linux/hidraw/HidrawProperties.hpp"
#include "platform/linux/hidraw/IOReturnFromErrno.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/HidrawManager";

std::string text(const char* value) {
    return value == nullptr ? std::string() : std::string(value);
}

// The hid device above a hidraw or evdev device, whose syspath ties a hidraw
// node to its evdev twins.
std::string hidParentSyspath(udev_device* device) {
    // The parent belongs to the child: it is not unreferenced here.
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    return hid == nullptr ? std::string() : text(udev_device_get_syspath(hid));
}

}  // namespace

std::shared_ptr<HidrawManager> HidrawManager::create() {
    UdevHandle udev(udev_new());
    if (!udev) {
        DDLogError("create()", strf("libudev could not be set up: %s", errnoText(errno).c_str()));
        return nullptr;
    }
    return std::make_shared<HidrawManager>(std::move(udev));
}

HidrawManager::HidrawManager(UdevHandle udev) : udev_(std::move(udev)) {}

HidrawManager::~HidrawManager() {
    stopDiscovery();
}

const char* HidrawManager::monitorSource() {
    return ::access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
}

IOReturn HidrawManager::startDiscovery() {
    // The monitor first, so that nothing arriving during the enumeration is missed.
    const char* source = monitorSource();
    monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), source));
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "hidraw", nullptr) < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_.get(), "input", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_.get()) < 0) {
        const int error = errno;
        DDLogError("startDiscovery()", strf("Cannot monitor hidraw devices (%s source): %s", source,
                                            errnoText(error).c_str()));
        monitor_.reset();
        return ioReturnFromErrno(error == 0 ? EIO : error);
    }
    monitorWatch_ =
        runLoop()->watchReadable(udev_monitor_get_fd(monitor_.get()), [weak = weak_from_this()] {
            if (const auto self = std::static_pointer_cast<HidrawManager>(weak.lock())) {
                self->receiveMonitorEvents();
            }
        });
    DDLogInfo("startDiscovery()", strf("Watching hidraw devices (%s monitor)", source));

    UdevEnumerateHandle enumerate(udev_enumerate_new(udev_.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0) {
        DDLogError("startDiscovery()", "Cannot enumerate hidraw devices");
        return kIOReturnSuccess;  // the monitor still reports what arrives
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        UdevDeviceHandle device(
            udev_device_new_from_syspath(udev_.get(), udev_list_entry_get_name(entry)));
        if (device) {
            hidrawAdded(device.get());
        }
    }
    return kIOReturnSuccess;
}

std::string HidrawManager::deviceLabel(const HidDevice& device) const {
    // Only this host's devices reach its manager; the node tells the user which one.
    const auto& hidraw = static_cast<const HidrawDevice&>(device);
    return hidraw.node().devnode + " " + HidManagerBase::deviceLabel(device);
}

void HidrawManager::stopDiscovery() {
    if (monitorWatch_ != 0 && runLoop() != nullptr) {
        runLoop()->unwatch(monitorWatch_);
        monitorWatch_ = 0;
    }
    monitor_.reset();
    // Devices stay usable by whoever holds them; the manager forgets them.
    devices_.clear();
}

void HidrawManager::receiveMonitorEvents() {
    while (monitor_) {
        UdevDeviceHandle device(udev_monitor_receive_device(monitor_.get()));
        if (!device) {
            return;
        }
        const std::string action = text(udev_device_get_action(device.get()));
        const std::string subsystem = text(udev_device_get_subsystem(device.get()));
        if (subsystem == "hidraw") {
            if (action == "add") {
                hidrawAdded(device.get());
            } else if (action == "remove") {
                hidrawRemoved(text(udev_device_get_syspath(device.get())));
            }
        } else if (subsystem == "input" && (action == "add" || action == "remove")) {
            evdevChanged(device.get(), action == "add");
        }
    }
}

void HidrawManager::hidrawAdded(udev_device* device) {
    HidrawNode node;
    node.syspath = text(udev_device_get_syspath(device));
    node.devnode = text(udev_device_get_devnode(device));
    node.hidSyspath = hidParentSyspath(device);
    if (node.syspath.empty() || node.devnode.empty() || node.hidSyspath.empty() ||
        devices_.count(node.syspath) != 0) {
        return;
    }
    const auto bytes = HidSysfs::readReportDescriptor(node.hidSyspath);
    if (!bytes) {
        DDLogWarn("hidrawAdded(_:)",
                  strf("Cannot read the report descriptor of %s", node.devnode.c_str()));
        return;
    }
    auto parsed = ReportDescriptorParser::parse(*bytes);
    if (!parsed.descriptor) {
        DDLogWarn("hidrawAdded(_:)",
                  strf("Ignoring %s: malformed report descriptor at byte %zu: %s",
                       node.devnode.c_str(), parsed.errorOffset, parsed.error.c_str()));
        return;
    }
    node.descriptor = std::move(*parsed.descriptor);
    node.properties =
        hidrawProperties(HidSysfs::readUevent(node.hidSyspath).value_or(UeventFields{}),
                         HidSysfs::readUsbStrings(node.hidSyspath), node.descriptor);
    auto hidraw = std::make_shared<HidrawDevice>(
        std::move(node), *runLoop(), [weak = weak_from_this()](HidrawDevice& vanished) {
            if (const auto self = std::static_pointer_cast<HidrawManager>(weak.lock())) {
                self->deviceVanished(vanished);
            }
        });
    devices_.emplace(hidraw->node().syspath, hidraw);
    deviceArrived(hidraw, hidraw->node().descriptor);
}

void HidrawManager::hidrawRemoved(const std::string& syspath) {
    const auto found = devices_.find(syspath);
    if (found == devices_.end()) {
        return;
    }
    const std::shared_ptr<HidrawDevice> device = found->second;
    devices_.erase(found);
    device->release();
    deviceLeft(device);
}

void HidrawManager::deviceVanished(HidrawDevice& device) {
    // The read error comes first; the monitor's remove finds nothing left.
    hidrawRemoved(device.node().syspath);
}

void HidrawManager::evdevChanged(udev_device* device, bool added) {
    const std::string sysname = text(udev_device_get_sysname(device));
    const std::string devnode = text(udev_device_get_devnode(device));
    if (sysname.rfind("event", 0) != 0 || devnode.empty()) {
        return;
    }
    const std::string hid = added ? hidParentSyspath(device) : std::string();
    for (const auto& [syspath, hidraw] : devices_) {
        if (!added) {
            hidraw->twinRemoved(devnode);
        } else if (hidraw->node().hidSyspath == hid) {
            hidraw->twinAppeared(devnode);
        }
    }
}

}  // namespace drawlume
