#include "ui/PermissionHelpDialog.hpp"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "localization/AppLocalization.hpp"
#include "program/HelperPrograms.hpp"
#include "services/AccessibilityTrust.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

namespace {

QString fileText(const char* resource) {
    ensureUiResources();
    QFile file(QString::fromLatin1(resource));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

QString code(const QString& commands) {
    return "<pre style=\"background:#1c1c1e;color:#f2f2f7;padding:8px;border-radius:6px\">" +
           commands.toHtmlEscaped() + "</pre>";
}

}  // namespace

QString PermissionHelpDialog::installCommands() {
    // The rule asks the agent's own companion check, wherever this agent runs from.
    QString rules = fileText(":/packaging/70-drawlume-agent.rules.in");
    rules.replace(QStringLiteral("@DRAWLUME_COMPANION_CHECK@"),
                  QString::fromStdString(companionCheckPath()));
    return "sudo tee /etc/udev/rules.d/70-drawlume-agent.rules >/dev/null <<'EOF'\n" + rules +
           "\nEOF\n"
           "echo uinput | sudo tee /etc/modules-load.d/drawlume-agent.conf\n"
           "sudo modprobe uinput\n"
           "sudo udevadm control --reload\n"
           "sudo udevadm trigger --subsystem-match=misc --sysname-match=uinput\n"
           "sudo udevadm trigger --subsystem-match=hidraw\n"
           "sudo udevadm trigger --subsystem-match=input";
}

PermissionHelpDialog::PermissionHelpDialog(AppLocalization& localization,
                                           std::function<void()> checkAgain, QWidget* parent)
    : QDialog(parent), localization_(localization) {
    setObjectName("permissionHelp");
    setWindowIcon(appIcon());
    resize(620, 560);
    auto* layout = new QVBoxLayout(this);
    page_ = new QTextBrowser(this);
    page_->setOpenExternalLinks(false);
    layout->addWidget(page_);
    auto* buttons = new QHBoxLayout();
    checkAgain_ = new QPushButton(this);
    checkAgain_->setObjectName("permissionCheckAgain");
    close_ = new QPushButton(this);
    buttons->addStretch();
    buttons->addWidget(checkAgain_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(checkAgain_, &QPushButton::clicked, this, [checkAgain = std::move(checkAgain)] {
        if (checkAgain) {
            checkAgain();
        }
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
}

QString PermissionHelpDialog::pageHtml() const {
    return page_->toHtml();
}

void PermissionHelpDialog::show(const AccessibilityTrustState& state) {
    const auto text = [this](const char* key, const char* fallback) {
        return QString::fromStdString(localization_.localized(key, fallback)).toHtmlEscaped();
    };
    setWindowTitle(text("permission.help.title", "Give Drawlume access to input devices"));
    checkAgain_->setText(text("permission.help.check_again", "Check Again"));
    close_->setText(text("about.close", "Close"));
    QString html =
        "<h2>" + text("permission.help.title", "Give Drawlume access to input devices") + "</h2>";
    if (!state.trusted) {
        html += "<p><b>" +
                QString::fromStdString(describeAccessibilityTrust(state)).toHtmlEscaped() +
                "</b></p>";
    }
    html += "<p>" +
            text("permission.help.intro",
                 "Drawlume posts pen, mouse and keyboard events through the kernel's uinput "
                 "device and reads your phone or tablet through its device node. Run these "
                 "commands once in a terminal; they need administrator rights.") +
            "</p>";
    html += code(installCommands());
    html += "<p>" +
            text("permission.help.package",
                 "If you installed the Drawlume package, the rule and the module entry are "
                 "already in place: only the last five commands are needed.") +
            "</p>";
    html += "<p>" +
            text("permission.help.scope",
                 "The rule gives you only /dev/uinput and your phone or tablet's own device "
                 "nodes; other Bluetooth keyboards, mice and controllers stay with the desktop "
                 "alone.") +
            "</p>";
    html += "<p>" +
            text("permission.help.relogin",
                 "Then reconnect the phone or tablet, or log out and back in, and press Check "
                 "Again.") +
            "</p>";
    page_->setHtml(html);
    QDialog::show();
    raise();
    activateWindow();
}

}  // namespace drawlume
