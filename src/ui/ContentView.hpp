#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "util/Subscription.hpp"

class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace drawlume {

class AppLocalization;
struct AccessibilityTrustState;
class DebugLogPanel;
class RowList;
class Spinner;
class TabletViewModel;

// The main window's contents: header, permission block, status, devices,
// displays, notice and the debug section, with the language menu in the
// top-right corner. It keeps no state of its own: it shows the model and
// the language, and each control calls the model, the language setting or
// one of the actions it was given.
class ContentView final : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void()> openPermissionHelp;
        std::function<void()> clearDebugLogs;
    };

    static constexpr int kWidth = 500;
    // The debug lines are drawn at most this often (about 30 times a second).
    static constexpr int kLinesIntervalMs = 33;

    ContentView(TabletViewModel& model, AppLocalization& localization, Actions actions,
                QWidget* parent = nullptr);
    ~ContentView() override;

    // The parts of the view, each refreshed only when what it shows changed.
    enum Part : unsigned {
        permissionPart = 1U << 0U,
        statusPart = 1U << 1U,
        devicesPart = 1U << 2U,
        displaysPart = 1U << 3U,
        debugStatePart = 1U << 4U,
        debugLinesPart = 1U << 5U,
        languagePart = 1U << 6U,
        allParts = (1U << 7U) - 1U,
    };

    // Shows the model and the language as they are now.
    void refresh() { refresh(allParts); }
    // The fixed width and the height the content needs at that width.
    QSize sizeHint() const override;
    // The tallest the content may be (the screen's room for the window's
    // contents): the debug box gives up height first, then the window scrolls.
    void setMaximumFittingHeight(int height);
    // Why posting is not permitted, in the language chosen, naming the node.
    static std::string reasonText(const AppLocalization& localization,
                                  const AccessibilityTrustState& state);
    // How many times the device or display rows were made, for the tests.
    int rowsBuilt() const;

signals:
    // After a refresh that changed the height the content needs, so the
    // window can fit itself to it.
    void contentChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void build();
    void scheduleRefresh(unsigned parts);
    void refresh(unsigned parts);
    void fitHeight();
    void refreshPermission();
    void refreshStatus();
    void refreshDevices();
    void refreshDisplays();
    void refreshLanguageMenu();
    void placeLanguageMenu();
    QString text(const char* key, const char* fallback = nullptr) const;

    TabletViewModel& model_;
    AppLocalization& localization_;
    Actions actions_;
    unsigned pendingParts_ = 0;
    QTimer linesTimer_;
    int fittingHeight_ = 0;
    int maximumFittingHeight_ = QWIDGETSIZE_MAX;
    std::vector<Subscription> subscriptions_;

    QLabel* appName_ = nullptr;
    QWidget* permissionBlock_ = nullptr;
    QLabel* permissionTitle_ = nullptr;
    QLabel* permissionInstructions_ = nullptr;
    QLabel* permissionReason_ = nullptr;
    QPushButton* permissionButton_ = nullptr;
    QLabel* statusDot_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* statusValue_ = nullptr;
    QLabel* deviceTitle_ = nullptr;
    QWidget* deviceStopped_ = nullptr;
    QLabel* deviceStoppedText_ = nullptr;
    QWidget* deviceWaiting_ = nullptr;
    QLabel* deviceWaitingText_ = nullptr;
    QLabel* deviceDescription_ = nullptr;
    RowList* deviceRows_ = nullptr;
    QLabel* displayTitle_ = nullptr;
    QLabel* displayDescription_ = nullptr;
    RowList* displayRows_ = nullptr;
    QLabel* displayUnmapped_ = nullptr;
    QLabel* noticeTitle_ = nullptr;
    QLabel* noticeMessage_ = nullptr;
    DebugLogPanel* debugPanel_ = nullptr;
    QToolButton* languageButton_ = nullptr;
    QMenu* languageMenu_ = nullptr;
};

}  // namespace drawlume
