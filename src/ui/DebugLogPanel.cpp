#include "ui/DebugLogPanel.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "localization/AppLocalization.hpp"
#include "ui/SwitchButton.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

DebugLogPanel::DebugLogPanel(std::function<void(bool)> setEnabled, std::function<void()> clear,
                             QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* header = new QHBoxLayout();
    auto* icon = new QLabel(this);
    icon->setPixmap(symbolPixmap("ant.fill", 16, QColor(0xff, 0x95, 0x00)));
    title_ = new QLabel(this);
    QFont headline = title_->font();
    headline.setBold(true);
    title_->setFont(headline);
    rate_ = new QLabel(this);
    rate_->setObjectName("eventsPerSecond");
    rate_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rate_->setFixedWidth(110);
    rate_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rate_->setForegroundRole(QPalette::PlaceholderText);
    switch_ = new SwitchButton(this);
    switch_->setObjectName("debugSwitch");
    clear_ = new QPushButton(this);
    clear_->setObjectName("clearButton");
    header->addWidget(icon);
    header->addWidget(title_);
    header->addStretch();
    header->addWidget(rate_);
    header->addWidget(switch_);
    header->addWidget(clear_);
    layout->addLayout(header);

    box_ = new QListWidget(this);
    box_->setObjectName("debugBox");
    box_->setFixedHeight(kBoxHeight);
    box_->setSelectionMode(QAbstractItemView::NoSelection);
    box_->setFocusPolicy(Qt::NoFocus);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(mono.pointSizeF() * 0.85);
    box_->setFont(mono);
    box_->setStyleSheet(
        "QListWidget { background: rgba(0, 0, 0, 0.82); color: #f2f2f7; border-radius: 8px;"
        " padding: 6px; }");
    layout->addWidget(box_);

    connect(switch_, &QAbstractButton::toggled, this,
            [setEnabled = std::move(setEnabled)](bool on) { setEnabled(on); });
    connect(clear_, &QPushButton::clicked, this, [clear = std::move(clear)] { clear(); });
}

void DebugLogPanel::update(const AppLocalization& localization, bool enabled,
                           int64_t eventsPerSecond, const std::vector<std::string>& lines) {
    title_->setText(
        QString::fromStdString(localization.localized("debug.logs.title", "Debug Logs")));
    const std::array<FormatArgument, 1> rate = {FormatArgument(eventsPerSecond)};
    rate_->setText(QString::fromStdString(
        localization.localizedFormat("debug.logs.events_per_second", "%d events/sec", rate)));
    clear_->setText(QString::fromStdString(localization.localized("debug.logs.clear", "Clear")));
    if (switch_->isChecked() != enabled) {
        const QSignalBlocker quiet(switch_);
        switch_->setChecked(enabled);
    }
    box_->setVisible(enabled);
    if (lines == shown_) {
        return;
    }
    shown_ = lines;
    box_->clear();
    for (const std::string& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), box_);
        if (line.find("DELAY") != std::string::npos) {
            item->setForeground(QColor(0xff, 0x45, 0x3a));
        }
    }
    if (!lines.empty()) {
        box_->scrollToBottom();
    }
}

}  // namespace drawlume
