#pragma once

#include "services/Alerts.hpp"
#include "services/Workspace.hpp"

class QWidget;

namespace drawlume {

// Alerts as modal message boxes.
class QtAlerts final : public Alerts {
public:
    size_t runModal(const AlertContent& alert) override;
};

// Folders and addresses through the desktop's default programs.
class QtWorkspace final : public Workspace {
public:
    bool openFolder(const std::string& path) override;
    bool openAddress(const std::string& address) override;
};

}  // namespace drawlume
