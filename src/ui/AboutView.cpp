#include "ui/AboutView.hpp"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "localization/AppLocalization.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

ApplicationInfo ApplicationInfo::current() {
    ApplicationInfo info;
    info.version = DRAWLUME_VERSION;
    info.build = DRAWLUME_BUILD_NUMBER;
    info.copyright = "Copyright © 2026 The Drawlume developers";
    info.websiteAddress = "https://drawlume.example";
    return info;
}

// Lays the widgets out top to bottom, in the order the window shows them.
// NOLINTNEXTLINE(readability-function-size)
AboutView::AboutView(AppLocalization& localization, ApplicationInfo info,
                     std::function<void()> dismiss,
                     std::function<void(const std::string&)> openAddress, QWidget* parent)
    : QWidget(parent),
      localization_(localization),
      info_(std::move(info)),
      dismiss_(std::move(dismiss)),
      openAddress_(std::move(openAddress)) {
    setObjectName("aboutView");
    // 400 by 350, taller only where a language's texts need more room: the
    // icon and the close button are never squeezed.
    setFixedWidth(400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 30, 30, 30);
    layout->setSpacing(20);
    layout->setAlignment(Qt::AlignHCenter);

    auto* icon = new QLabel(this);
    icon->setPixmap(appIconPixmap(80));
    icon->setFixedSize(80, 80);
    name_ = new QLabel(this);
    name_->setAlignment(Qt::AlignCenter);
    QFont title = name_->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    name_->setFont(title);
    version_ = new QLabel(this);
    version_->setObjectName("aboutVersion");
    version_->setAlignment(Qt::AlignCenter);
    version_->setForegroundRole(QPalette::PlaceholderText);
    copyright_ = new QLabel(this);
    copyright_->setObjectName("aboutCopyright");
    copyright_->setAlignment(Qt::AlignCenter);
    copyright_->setForegroundRole(QPalette::PlaceholderText);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    websiteLabel_ = new QLabel(this);
    websiteLabel_->setAlignment(Qt::AlignCenter);
    websiteLabel_->setForegroundRole(QPalette::PlaceholderText);
    website_ = new QPushButton(this);
    website_->setObjectName("aboutWebsite");
    website_->setFlat(true);
    website_->setCursor(Qt::PointingHandCursor);
    website_->setIcon(symbolIcon("globe", QColor(0x0a, 0x84, 0xff)));
    website_->setStyleSheet("QPushButton { color: #0a84ff; border: none; }");
    // Focus on the link would make it Return's button: Close is.
    website_->setAutoDefault(false);
    close_ = new QPushButton(this);
    close_->setObjectName("aboutClose");
    close_->setDefault(true);
    close_->setAutoDefault(true);
    close_->setMinimumWidth(96);
    close_->setStyleSheet(
        "QPushButton { background: #0a84ff; color: white; border: none; border-radius: 6px;"
        " padding: 6px 18px; font-weight: bold; }"
        "QPushButton:pressed { background: #0060df; }"
        "QPushButton:focus { border: 2px solid rgba(10, 132, 255, 0.45); }");

    layout->addWidget(icon, 0, Qt::AlignHCenter);
    layout->addWidget(name_);
    layout->addWidget(version_);
    layout->addWidget(copyright_);
    layout->addWidget(divider);
    auto* websiteBlock = new QVBoxLayout();
    websiteBlock->setSpacing(8);
    websiteBlock->addWidget(websiteLabel_);
    websiteBlock->addWidget(website_, 0, Qt::AlignHCenter);
    layout->addLayout(websiteBlock);
    layout->addStretch();
    layout->addWidget(close_, 0, Qt::AlignHCenter);

    connect(close_, &QPushButton::clicked, this, [this] {
        if (dismiss_) {
            dismiss_();
        }
    });
    connect(website_, &QPushButton::clicked, this, [this] {
        const QUrl address(QString::fromStdString(info_.websiteAddress));
        if (address.isValid() && !address.scheme().isEmpty() && openAddress_) {
            openAddress_(info_.websiteAddress);
        }
    });
    languageSubscription_ = localization_.selectedLanguage().subscribe([this](AppLanguage) {
        QMetaObject::invokeMethod(
            this, [this] { refresh(); }, Qt::QueuedConnection);
    });
    refresh();
}

void AboutView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    close_->setFocus(Qt::ActiveWindowFocusReason);
}

void AboutView::refresh() {
    name_->setText(QString::fromStdString(localization_.localized("app.name")));
    const std::string version = info_.version.value_or("Unknown");
    const std::string build = info_.build.value_or("Unknown");
    const std::array<FormatArgument, 2> arguments = {FormatArgument(std::string_view(version)),
                                                     FormatArgument(std::string_view(build))};
    version_->setText(QString::fromStdString(
        localization_.localizedFormat("about.version", std::nullopt, arguments)));
    const std::string copyright = info_.copyright.value_or("");
    copyright_->setText(QString::fromStdString(copyright));
    copyright_->setVisible(!copyright.empty());
    websiteLabel_->setText(QString::fromStdString(localization_.localized("about.website.label")));
    website_->setText(QString::fromStdString(localization_.localized("about.website.url")));
    close_->setText(QString::fromStdString(localization_.localized("about.close")));
    layout()->activate();
    setFixedHeight(std::max(350, layout()->sizeHint().height()));
}

}  // namespace drawlume
