#include "ui/ContentView.hpp"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/TabletViewModel.hpp"
#include "localization/AppLocalization.hpp"
#include "ui/DebugLogPanel.hpp"
#include "ui/RowList.hpp"
#include "ui/Spinner.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

namespace {

const QColor kOrange(0xff, 0x95, 0x00);
const QColor kSecondary(0x8e, 0x8e, 0x93);

QLabel* symbolLabel(const QString& symbol, int size, const QColor& tint, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(symbolPixmap(symbol, size, tint));
    label->setFixedSize(size, size);
    return label;
}

QLabel* wrappingLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    return label;
}

void setPointScale(QLabel* label, double scale, bool bold = false) {
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
}

// A section header: a symbol and a bold title.
QHBoxLayout* sectionHeader(const QString& symbol, QLabel* title) {
    auto* row = new QHBoxLayout();
    row->addWidget(symbolLabel(symbol, 16, QColor(), title->parentWidget()));
    setPointScale(title, 1.0, true);
    row->addWidget(title, 1);
    return row;
}

// The permission reason in words, naming the device node concerned.
std::string reasonText(const AppLocalization& localization, const AccessibilityTrustState& state) {
    const char* key = nullptr;
    const char* fallback = nullptr;
    switch (state.reason) {
        case AccessibilityTrustReason::granted:
            return {};
        case AccessibilityTrustReason::outputMissing:
            key = "permission.reason.missing";
            fallback = "The uinput module is not loaded: %s does not exist.";
            break;
        case AccessibilityTrustReason::outputDenied:
            key = "permission.reason.denied";
            fallback = "This user may not write to %s.";
            break;
        case AccessibilityTrustReason::outputFailed:
            key = "permission.reason.failed";
            fallback = "%s could not be opened.";
            break;
        case AccessibilityTrustReason::outputUnusable:
            key = "permission.reason.unusable";
            fallback = "%s opens, but the virtual input devices cannot be created through it.";
            break;
        case AccessibilityTrustReason::companionUnreadable:
            key = "permission.reason.companion";
            fallback = "The phone or tablet's device node %s cannot be read.";
            break;
    }
    const std::string path = state.path.empty() ? "/dev/uinput" : state.path;
    const std::array<FormatArgument, 1> arguments = {FormatArgument(std::string_view(path))};
    return localization.localizedFormat(key, fallback, arguments);
}

}  // namespace

ContentView::ContentView(TabletViewModel& model, AppLocalization& localization, Actions actions,
                         QWidget* parent)
    : QWidget(parent), model_(model), localization_(localization), actions_(std::move(actions)) {
    setObjectName("contentView");
    setFixedWidth(kWidth);
    linesTimer_.setSingleShot(true);
    linesTimer_.setInterval(kLinesIntervalMs);
    connect(&linesTimer_, &QTimer::timeout, this, [this] { refresh(pendingParts_); });
    build();
    // Observers hear of a change before the new value is stored: read the
    // model once the change is done, once for a burst of changes, and only
    // the parts the change concerns. A debug line at a thousand a second
    // must not remake the rows under the user's pointer.
    const auto watch = [this](const auto& published, unsigned parts) {
        subscriptions_.push_back(
            published.subscribe([this, parts](const auto&) { scheduleRefresh(parts); }));
    };
    watch(model_.isRunning, statusPart | devicesPart);
    watch(model_.availableDevices, devicesPart);
    watch(model_.selectedDevice, devicesPart);
    watch(model_.hasAccessibilityPermissions, permissionPart);
    watch(model_.permissionState, permissionPart);
    watch(model_.availableMonitors, displaysPart);
    watch(model_.selectedMonitor, displaysPart);
    watch(model_.penMayLandElsewhere, displaysPart);
    watch(model_.isDebugLogEnabled, debugStatePart);
    watch(model_.debugLogs, debugLinesPart);
    watch(model_.eventsPerSecond, debugLinesPart);
    watch(localization_.selectedLanguage(), allParts);
    refresh();
}

ContentView::~ContentView() = default;

QString ContentView::text(const char* key, const char* fallback) const {
    return QString::fromStdString(fallback != nullptr ? localization_.localized(key, fallback)
                                                      : localization_.localized(key));
}

// Lays the widgets out top to bottom, in the order the window shows them.
// NOLINTNEXTLINE(readability-function-size)
void ContentView::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(20);
    layout->setContentsMargins(20, 20, 20, 20);

    // Header.
    auto* icon = new QLabel(this);
    icon->setPixmap(appIconPixmap(60));
    icon->setAlignment(Qt::AlignCenter);
    appName_ = new QLabel(this);
    appName_->setAlignment(Qt::AlignCenter);
    setPointScale(appName_, 1.6, true);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    auto* header = new QVBoxLayout();
    header->setSpacing(6);
    header->addWidget(icon);
    header->addWidget(appName_);
    header->addWidget(divider);
    layout->addLayout(header);

    // Permission warning.
    permissionBlock_ = new QFrame(this);
    permissionBlock_->setObjectName("permissionBlock");
    permissionBlock_->setStyleSheet(
        "#permissionBlock { background: rgba(255, 149, 0, 0.12); border-radius: 10px; }");
    auto* permission = new QHBoxLayout(permissionBlock_);
    permission->setContentsMargins(12, 12, 12, 12);
    permission->addWidget(symbolLabel("exclamationmark.triangle.fill", 24, kOrange, this), 0,
                          Qt::AlignTop);
    auto* permissionTexts = new QVBoxLayout();
    permissionTitle_ = wrappingLabel(permissionBlock_);
    setPointScale(permissionTitle_, 1.0, true);
    permissionInstructions_ = wrappingLabel(permissionBlock_);
    permissionReason_ = wrappingLabel(permissionBlock_);
    permissionReason_->setObjectName("permissionReason");
    permissionReason_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    permissionButton_ = new QPushButton(permissionBlock_);
    permissionButton_->setObjectName("permissionButton");
    connect(permissionButton_, &QPushButton::clicked, this, [this] {
        if (actions_.openPermissionHelp) {
            actions_.openPermissionHelp();
        }
    });
    permissionTexts->addWidget(permissionTitle_);
    permissionTexts->addWidget(permissionInstructions_);
    permissionTexts->addWidget(permissionReason_);
    // A row with a stretch, not an aligned item: an aligned item would hide
    // the wrapped texts' height for their width from the layout.
    auto* buttonRow = new QHBoxLayout();
    buttonRow->addWidget(permissionButton_);
    buttonRow->addStretch();
    permissionTexts->addLayout(buttonRow);
    permission->addLayout(permissionTexts, 1);
    layout->addWidget(permissionBlock_);

    // Status line.
    auto* status = new QHBoxLayout();
    statusDot_ = new QLabel(this);
    statusDot_->setObjectName("statusDot");
    statusDot_->setFixedSize(12, 12);
    statusLabel_ = new QLabel(this);
    statusValue_ = new QLabel(this);
    statusValue_->setObjectName("statusValue");
    setPointScale(statusValue_, 0.95, true);
    status->addWidget(statusDot_);
    status->addWidget(statusLabel_);
    status->addWidget(statusValue_);
    status->addStretch();
    layout->addLayout(status);

    // Devices.
    auto* devices = new QVBoxLayout();
    deviceTitle_ = new QLabel(this);
    devices->addLayout(sectionHeader("pencil.tip", deviceTitle_));
    deviceStopped_ = new QWidget(this);
    auto* stopped = new QHBoxLayout(deviceStopped_);
    stopped->setContentsMargins(0, 0, 0, 0);
    stopped->addWidget(symbolLabel("info.circle", 14, kSecondary, deviceStopped_));
    deviceStoppedText_ = new QLabel(deviceStopped_);
    deviceStoppedText_->setObjectName("deviceStopped");
    deviceStoppedText_->setForegroundRole(QPalette::PlaceholderText);
    stopped->addWidget(deviceStoppedText_, 1);
    deviceWaiting_ = new QWidget(this);
    auto* waiting = new QHBoxLayout(deviceWaiting_);
    waiting->setContentsMargins(0, 0, 0, 0);
    waiting->addWidget(new Spinner(14, deviceWaiting_));
    deviceWaitingText_ = new QLabel(deviceWaiting_);
    deviceWaitingText_->setObjectName("deviceWaiting");
    waiting->addWidget(deviceWaitingText_, 1);
    deviceDescription_ = new QLabel(this);
    deviceDescription_->setForegroundRole(QPalette::PlaceholderText);
    setPointScale(deviceDescription_, 0.85);
    deviceRows_ = new RowList(QStringLiteral("deviceRow"), this);
    devices->addWidget(deviceStopped_);
    devices->addWidget(deviceWaiting_);
    devices->addWidget(deviceDescription_);
    devices->addWidget(deviceRows_);
    layout->addLayout(devices);

    // Displays.
    auto* displays = new QVBoxLayout();
    displayTitle_ = new QLabel(this);
    displays->addLayout(sectionHeader("display", displayTitle_));
    displayDescription_ = wrappingLabel(this);
    displayDescription_->setForegroundRole(QPalette::PlaceholderText);
    setPointScale(displayDescription_, 0.85);
    displayRows_ = new RowList(QStringLiteral("displayRow"), this);
    displays->addWidget(displayDescription_);
    displays->addWidget(displayRows_);
    displayUnmapped_ = wrappingLabel(this);
    displayUnmapped_->setObjectName(QStringLiteral("displayUnmapped"));
    setPointScale(displayUnmapped_, 0.85);
    displays->addWidget(displayUnmapped_);
    layout->addLayout(displays);

    // Notice.
    auto* notice = new QHBoxLayout();
    auto* noticeIcon = new QVBoxLayout();
    noticeIcon->addWidget(symbolLabel("info.circle.fill", 16, QColor(0x0a, 0x84, 0xff), this));
    noticeIcon->addStretch();
    notice->addLayout(noticeIcon);
    auto* noticeTexts = new QVBoxLayout();
    noticeTitle_ = wrappingLabel(this);
    setPointScale(noticeTitle_, 0.95, true);
    noticeMessage_ = wrappingLabel(this);
    setPointScale(noticeMessage_, 0.9);
    noticeTexts->addWidget(noticeTitle_);
    noticeTexts->addWidget(noticeMessage_);
    notice->addLayout(noticeTexts, 1);
    layout->addLayout(notice);

    // Debug section.
    debugPanel_ = new DebugLogPanel([this](bool on) { model_.isDebugLogEnabled.set(on); },
                                    [this] {
                                        if (actions_.clearDebugLogs) {
                                            actions_.clearDebugLogs();
                                        }
                                    },
                                    this);
    layout->addWidget(debugPanel_);
    layout->addStretch();

    // The language menu, laid over the top-right corner.
    languageButton_ = new QToolButton(this);
    languageButton_->setObjectName("languageButton");
    languageButton_->setPopupMode(QToolButton::InstantPopup);
    languageButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    languageButton_->setIcon(symbolIcon("globe"));
    languageButton_->setAutoRaise(true);
    languageButton_->setStyleSheet(
        "QToolButton { padding: 6px 10px; border-radius: 8px;"
        " background: rgba(128, 128, 128, 0.08); }"
        "QToolButton::menu-indicator { image: none; }");
    languageMenu_ = new QMenu(languageButton_);
    languageMenu_->setObjectName("languageMenu");
    languageButton_->setMenu(languageMenu_);
}

void ContentView::scheduleRefresh(unsigned parts) {
    const bool queued = (pendingParts_ & ~debugLinesPart) != 0;
    pendingParts_ |= parts;
    if (parts == debugLinesPart) {
        // Lines and the rate change with every report: no one reads faster
        // than the screen shows them, so they are drawn at most at its pace.
        if (!queued && !linesTimer_.isActive()) {
            linesTimer_.start();
        }
    } else if (!queued) {
        QMetaObject::invokeMethod(
            this, [this] { refresh(pendingParts_); }, Qt::QueuedConnection);
    }
}

void ContentView::refresh(unsigned parts) {
    pendingParts_ = 0;
    linesTimer_.stop();
    if ((parts & languagePart) != 0) {
        appName_->setText(text("app.name"));
        noticeTitle_->setText(text("content.notice.title"));
        noticeMessage_->setText(text("content.notice.message"));
        refreshLanguageMenu();
    }
    if ((parts & permissionPart) != 0) {
        refreshPermission();
    }
    if ((parts & statusPart) != 0) {
        refreshStatus();
    }
    if ((parts & devicesPart) != 0) {
        refreshDevices();
    }
    if ((parts & displaysPart) != 0) {
        refreshDisplays();
    }
    if ((parts & (debugStatePart | debugLinesPart | languagePart)) != 0) {
        debugPanel_->update(localization_, model_.isDebugLogEnabled, model_.eventsPerSecond,
                            model_.debugLogs);
    }
    // New lines and a new rate take no room of their own.
    if ((parts & ~debugLinesPart) != 0) {
        fitHeight();
    }
}

void ContentView::setMaximumFittingHeight(int height) {
    if (height != maximumFittingHeight_) {
        maximumFittingHeight_ = height;
        fitHeight();
    }
}

void ContentView::fitHeight() {
    // Wrapped texts need their height for the fixed width, and a section that
    // just showed or hid a part tells its parent only on the next pass of the
    // event loop. Settle the inner layouts first, deepest first, so the
    // height asked for below is the height of what is shown now.
    const auto settle = [this] {
        const QList<QWidget*> inner = findChildren<QWidget*>();
        for (auto widget = inner.crbegin(); widget != inner.crend(); ++widget) {
            if (QLayout* own = (*widget)->layout()) {
                own->invalidate();
                own->activate();
            }
        }
        layout()->invalidate();
        layout()->activate();
        return layout()->hasHeightForWidth() ? layout()->heightForWidth(kWidth)
                                             : layout()->sizeHint().height();
    };
    debugPanel_->setBoxHeight(DebugLogPanel::kBoxHeight);
    int height = settle();
    if (height > maximumFittingHeight_ && debugPanel_->isBoxShown()) {
        // The box scrolls anyway: it gives up its height before the window
        // has to scroll.
        const int excess = height - maximumFittingHeight_;
        debugPanel_->setBoxHeight(
            std::max(DebugLogPanel::kMinimumBoxHeight, DebugLogPanel::kBoxHeight - excess));
        height = settle();
    }
    const int previous = fittingHeight_;
    fittingHeight_ = height;
    setFixedHeight(fittingHeight_);
    placeLanguageMenu();
    if (fittingHeight_ != previous) {
        emit contentChanged();
    }
}

void ContentView::refreshPermission() {
    const bool granted = model_.hasAccessibilityPermissions;
    permissionBlock_->setVisible(!granted);
    if (granted) {
        return;
    }
    permissionTitle_->setText(text("content.permissions.title"));
    permissionInstructions_->setText(text("content.permissions.instructions"));
    permissionReason_->setText(
        QString::fromStdString(reasonText(localization_, model_.permissionState)));
    permissionButton_->setText(text("content.permissions.button"));
}

void ContentView::refreshStatus() {
    const bool running = model_.isRunning;
    statusDot_->setStyleSheet(
        QStringLiteral("background: %1; border-radius: 6px;").arg(running ? "#34c759" : "#8e8e93"));
    statusLabel_->setText(text("content.status.label"));
    statusValue_->setText(text(running ? "content.status.running" : "content.status.stopped"));
}

void ContentView::refreshDevices() {
    deviceTitle_->setText(text("device.selection.title", "Tablet Device"));
    const bool running = model_.isRunning;
    const std::vector<DeviceInfo>& devices = model_.availableDevices;
    deviceStopped_->setVisible(!running);
    deviceWaiting_->setVisible(running && devices.empty());
    deviceDescription_->setVisible(running && !devices.empty());
    deviceStoppedText_->setText(
        text("device.selection.service_not_running", "Service is not running"));
    deviceWaitingText_->setText(text("device.selection.waiting", "Waiting for tablet device..."));
    deviceDescription_->setText(
        text("device.selection.description", "Select which tablet to use:"));
    std::vector<RowList::Row> rows;
    if (running) {
        const std::optional<DeviceInfo>& selected = model_.selectedDevice;
        for (const DeviceInfo& device : devices) {
            rows.push_back({QString::fromStdString(device.productName),
                            selected && selected->id == device.id,
                            [this, device] { model_.selectDevice(device); }});
        }
    }
    deviceRows_->setRows(std::move(rows));
}

void ContentView::refreshDisplays() {
    displayTitle_->setText(text("display.target.title"));
    displayDescription_->setText(text("display.target.description"));
    std::vector<RowList::Row> rows;
    const std::optional<MonitorInfo>& selected = model_.selectedMonitor;
    for (const MonitorInfo& monitor : model_.availableMonitors.get()) {
        rows.push_back({QString::fromStdString(monitor.displayName(localization_)),
                        selected && selected->id == monitor.id,
                        [this, monitor] { model_.selectMonitor(monitor); }});
    }
    displayRows_->setRows(std::move(rows));
    // Said only where the desktop would not take the chosen display.
    displayUnmapped_->setText(text("display.target.unmapped"));
    displayUnmapped_->setVisible(model_.penMayLandElsewhere);
}

void ContentView::refreshLanguageMenu() {
    languageButton_->setText(text("language.selection.title", "Language"));
    languageMenu_->clear();
    const AppLanguage current = localization_.selectedLanguage().get();
    for (const AppLanguage language : kAllAppLanguages) {
        QAction* item =
            languageMenu_->addAction(QString::fromStdString(localization_.displayName(language)));
        if (language == current) {
            item->setIcon(symbolIcon("checkmark"));
        }
        item->setData(static_cast<int>(language));
        connect(item, &QAction::triggered, this,
                [this, language] { localization_.setLanguage(language); });
    }
    languageButton_->adjustSize();
}

void ContentView::placeLanguageMenu() {
    languageButton_->move(width() - languageButton_->width() - 12, 12);
    languageButton_->raise();
}

std::string ContentView::reasonText(const AppLocalization& localization,
                                    const AccessibilityTrustState& state) {
    return drawlume::reasonText(localization, state);
}

int ContentView::rowsBuilt() const {
    return deviceRows_->rowsMade() + displayRows_->rowsMade();
}

QSize ContentView::sizeHint() const {
    return {kWidth, fittingHeight_};
}

void ContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeLanguageMenu();
}

}  // namespace drawlume
