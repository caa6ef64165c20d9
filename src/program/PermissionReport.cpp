#include "program/PermissionReport.hpp"

#include "app/TabletViewModel.hpp"

namespace drawlume {

namespace {

void print(std::FILE* out, const AccessibilityTrustState& state) {
    std::fprintf(out, "drawlume-agent: %s\n", describeAccessibilityTrust(state).c_str());
    std::fflush(out);
}

}  // namespace

Subscription reportPermission(const TabletViewModel& model, std::FILE* out) {
    if (!model.hasAccessibilityPermissions) {
        print(out, model.permissionState);
    }
    // Observers hear of the new value while the model still holds the old one.
    return model.permissionState.subscribe([&model, out](const AccessibilityTrustState& state) {
        if (state != model.permissionState.get()) {
            print(out, state);
        }
    });
}

}  // namespace drawlume
