#pragma once

#include <string>
#include <vector>

namespace drawlume {

// The styles of a modal alert, with the numbers of NSAlertStyle.
enum class AlertStyle {
    warning = 0,
    informational = 1,
    critical = 2,
};

struct AlertContent {
    std::string messageText;      // the title line
    std::string informativeText;  // the detail below it
    std::string detailedText;     // the platform's own words, folded away until asked for
    AlertStyle style = AlertStyle::warning;
    std::vector<std::string> buttonTitles;  // the first is the default button
};

// Modal alerts: a message box on the desktop, a record in tests. Main thread only.
class Alerts {
public:
    virtual ~Alerts() = default;
    // Shows the alert and returns when it is dismissed, with the index of the
    // button chosen. Events keep being delivered while it is shown.
    virtual size_t runModal(const AlertContent& alert) = 0;
};

}  // namespace drawlume
