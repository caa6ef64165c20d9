#include "ui/DebugLogPanel.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
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

void DebugLogPanel::setBoxHeight(int height) {
    if (box_->height() != height || box_->minimumHeight() != height) {
        box_->setFixedHeight(height);
    }
}

bool DebugLogPanel::isBoxShown() const {
    return !box_->isHidden();
}

void DebugLogPanel::update(const AppLocalization& localization, bool enabled,
                           int64_t eventsPerSecond, const std::vector<std::string>& lines) {
    const auto setText = [](auto* widget, const QString& text) {
        if (widget->text() != text) {
            widget->setText(text);
        }
    };
    setText(title_,
            QString::fromStdString(localization.localized("debug.logs.title", "Debug Logs")));
    const std::array<FormatArgument, 1> rate = {FormatArgument(eventsPerSecond)};
    setText(rate_, QString::fromStdString(localization.localizedFormat(
                       "debug.logs.events_per_second", "%d events/sec", rate)));
    setText(clear_, QString::fromStdString(localization.localized("debug.logs.clear", "Clear")));
    if (switch_->isChecked() != enabled) {
        const QSignalBlocker quiet(switch_);
        switch_->setChecked(enabled);
    }
    if (box_->isHidden() == enabled) {
        box_->setVisible(enabled);
    }
    showLines(lines);
}

void DebugLogPanel::showLines(const std::vector<std::string>& lines) {
    if (lines == shown_) {
        return;
    }
    // The lines kept from before: the longest tail of what is shown that
    // starts the new list. Usually the cap dropped one line and one came.
    size_t dropped = 0;
    size_t kept = 0;
    for (; dropped < shown_.size(); ++dropped) {
        const size_t overlap = std::min(shown_.size() - dropped, lines.size());
        if (overlap == shown_.size() - dropped &&
            std::equal(shown_.begin() + static_cast<std::ptrdiff_t>(dropped), shown_.end(),
                       lines.begin())) {
            kept = overlap;
            break;
        }
    }
    if (kept == 0) {
        box_->clear();
        dropped = 0;
    }
    for (size_t line = 0; line < dropped && box_->count() > 0; ++line) {
        delete box_->takeItem(0);
    }
    for (size_t line = kept; line < lines.size(); ++line) {
        addLine(lines[line]);
    }
    shown_ = lines;
    if (!lines.empty()) {
        box_->scrollToBottom();
    }
}

void DebugLogPanel::addLine(const std::string& line) {
    auto* item = new QListWidgetItem(QString::fromStdString(line), box_);
    if (line.find("DELAY") != std::string::npos) {
        item->setForeground(QColor(0xff, 0x45, 0x3a));
    }
}

}  // namespace drawlume
