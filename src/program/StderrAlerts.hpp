#pragma once

#include <cstdio>

#include "services/Alerts.hpp"

namespace drawlume {

// Alerts where there is no window: the title and the detail on standard
// error, answered at once with the default button.
class StderrAlerts final : public Alerts {
public:
    size_t runModal(const AlertContent& alert) override {
        std::fprintf(stderr, "%s: %s\n", alert.messageText.c_str(), alert.informativeText.c_str());
        return 0;
    }
};

}  // namespace drawlume
