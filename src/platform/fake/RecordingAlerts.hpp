#pragma once

#include <vector>

#include "services/Alerts.hpp"

namespace drawlume {

// Keeps every alert it is asked to show and answers with the first button.
class RecordingAlerts final : public Alerts {
public:
    size_t runModal(const AlertContent& alert) override {
        shown.push_back(alert);
        return 0;
    }

    std::vector<AlertContent> shown;
};

}  // namespace drawlume
