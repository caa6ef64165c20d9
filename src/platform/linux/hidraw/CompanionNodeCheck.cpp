#include "platform/linux/hidraw/CompanionNodeCheck.hpp"

#include <system_error>

#include "devices/CompanionDescriptorCheck.hpp"
#include "devices/ReportDescriptorParser.hpp"
#include "platform/linux/hidraw/HidSysfs.hpp"

namespace drawlume {

namespace fs = std::filesystem;

bool isCompanionNode(const fs::path& sysfsDevice) {
    for (fs::path directory = sysfsDevice; !directory.empty() && directory != directory.root_path();
         directory = directory.parent_path()) {
        std::error_code error;
        if (!fs::exists(directory / "report_descriptor", error)) {
            continue;
        }
        // The nearest hid device decides, readable or not.
        const auto bytes = HidSysfs::readReportDescriptor(directory);
        if (!bytes) {
            return false;
        }
        const auto parsed = ReportDescriptorParser::parse(*bytes);
        return parsed.descriptor && !companionMismatch(*parsed.descriptor);
    }
    return false;
}

}  // namespace drawlume
