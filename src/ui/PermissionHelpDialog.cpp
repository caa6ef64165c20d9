#include "ui/PermissionHelpDialog.hpp"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "localization/AppLocalization.hpp"
#include "ui/ContentView.hpp"
#include "ui/Symbols.hpp"

namespace drawlume {

namespace {

constexpr int kWidth = 560;

QLabel* wrapping(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

// Lays the widgets out top to bottom, in the order the window shows them.
// NOLINTNEXTLINE(readability-function-size)
PermissionHelpDialog::PermissionHelpDialog(AppLocalization& localization, PermissionSetup setup,
                                           std::function<AccessibilityTrustState()> checkAgain,
                                           QWidget* parent)
    : QDialog(parent),
      localization_(localization),
      setup_(std::move(setup)),
      checkAgain_(std::move(checkAgain)) {
    setObjectName("permissionHelp");
    setWindowIcon(appIcon());
    setFixedWidth(kWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    title_ = wrapping(this, "permissionHelpTitle");
    QFont headline = title_->font();
    headline.setPointSizeF(headline.pointSizeF() * 1.3);
    headline.setBold(true);
    title_->setFont(headline);
    reason_ = wrapping(this, "permissionHelpReason");
    QFont bold = reason_->font();
    bold.setBold(true);
    reason_->setFont(bold);
    intro_ = wrapping(this, "permissionHelpIntro");
    which_ = wrapping(this, "permissionHelpWhich");
    layout->addWidget(title_);
    layout->addWidget(reason_);
    layout->addWidget(intro_);
    layout->addWidget(which_);

    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QStringList commands = setup_.commands();
    for (qsizetype index = 0; index < commands.size(); ++index) {
        auto* row = new QHBoxLayout();
        // Wrapped in full rather than scrolled: the user reads what runs as root.
        auto* command = new QLabel(commands[index], this);
        command->setObjectName(QStringLiteral("permissionCommand%1").arg(index));
        command->setWordWrap(true);
        command->setTextInteractionFlags(Qt::TextSelectableByMouse);
        command->setFont(mono);
        command->setStyleSheet(
            "QLabel { background: #1c1c1e; color: #f2f2f7; padding: 6px; border-radius: 6px; }");
        auto* copy = new QPushButton(this);
        copy->setObjectName(QStringLiteral("permissionCopy%1").arg(index));
        copy->setAutoDefault(false);
        connect(copy, &QPushButton::clicked, this, [this, command, copy] {
            QGuiApplication::clipboard()->setText(command->text());
            copy->setText(text("permission.help.copied"));
        });
        row->addWidget(command, 1);
        row->addWidget(copy, 0, Qt::AlignTop);
        layout->addLayout(row);
        commands_.push_back(command);
        copies_.push_back(copy);
    }

    scope_ = wrapping(this, "permissionHelpScope");
    relogin_ = wrapping(this, "permissionHelpRelogin");
    status_ = wrapping(this, "permissionHelpStatus");
    QFont statusFont = status_->font();
    statusFont.setBold(true);
    status_->setFont(statusFont);
    details_ = new QPlainTextEdit(this);
    details_->setObjectName("permissionHelpDetails");
    details_->setReadOnly(true);
    details_->setFont(mono);
    details_->setFixedHeight(100);
    details_->hide();
    layout->addWidget(scope_);
    layout->addWidget(relogin_);
    layout->addWidget(status_);
    layout->addWidget(details_);

    auto* buttons = new QHBoxLayout();
    setUp_ = new QPushButton(this);
    setUp_->setObjectName("permissionSetUp");
    setUp_->setAutoDefault(false);
    checkAgainButton_ = new QPushButton(this);
    checkAgainButton_->setObjectName("permissionCheckAgain");
    checkAgainButton_->setAutoDefault(false);
    close_ = new QPushButton(this);
    close_->setObjectName("permissionClose");
    close_->setDefault(true);
    buttons->addWidget(setUp_);
    buttons->addStretch();
    buttons->addWidget(checkAgainButton_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(setUp_, &QPushButton::clicked, this, [this] { setUp(); });
    connect(checkAgainButton_, &QPushButton::clicked, this, [this] { this->checkAgain(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
}

QString PermissionHelpDialog::text(const char* key, const char* fallback) const {
    return QString::fromStdString(fallback != nullptr ? localization_.localized(key, fallback)
                                                      : localization_.localized(key));
}

void PermissionHelpDialog::show(const AccessibilityTrustState& state) {
    setWindowTitle(text("permission.help.title", "Give Drawlume access to input devices"));
    title_->setText(text("permission.help.title", "Give Drawlume access to input devices"));
    intro_->setText(text("permission.help.intro"));
    which_->setText(text(setup_.installed ? "permission.help.installed" : "permission.help.build"));
    for (QPushButton* copy : copies_) {
        copy->setText(text("permission.help.copy"));
    }
    scope_->setText(text("permission.help.scope"));
    relogin_->setText(text("permission.help.relogin"));
    setUp_->setText(text("permission.help.setup"));
    setUp_->setEnabled(setup_.canElevate && setup_.run);
    checkAgainButton_->setText(text("permission.help.check_again", "Check Again"));
    close_->setText(text("about.close", "Close"));
    details_->hide();
    // Said at once rather than after a click that could not work.
    status_->setText(setUp_->isEnabled() ? QString() : text("permission.help.setup.unavailable"));
    showState(state);
    QDialog::show();
    fitHeight();
    raise();
    activateWindow();
}

void PermissionHelpDialog::showState(const AccessibilityTrustState& state) {
    state_ = state;
    reason_->setText(state.trusted
                         ? text("permission.help.granted")
                         : QString::fromStdString(ContentView::reasonText(localization_, state)));
    status_->setVisible(!status_->text().isEmpty());
    fitHeight();
}

void PermissionHelpDialog::fitHeight() {
    // The wrapped texts' height at the fixed width, once they are all set.
    layout()->invalidate();
    layout()->activate();
    setFixedHeight(layout()->heightForWidth(kWidth));
}

void PermissionHelpDialog::checkAgain() {
    if (!checkAgain_) {
        return;
    }
    const AccessibilityTrustState found = checkAgain_();
    if (found == state_) {
        status_->setText(found.trusted ? text("permission.help.granted")
                                       : text("permission.help.unchanged"));
    } else {
        status_->setText(found.trusted ? text("permission.help.granted") : QString());
    }
    showState(found);
}

void PermissionHelpDialog::setUp() {
    setUp_->setEnabled(false);
    details_->hide();
    status_->setText(text("permission.help.setup.running"));
    status_->show();
    fitHeight();
    setup_.run(
        QStringLiteral("pkexec"),
        {QStringLiteral("/bin/sh"), QStringLiteral("-c"), setup_.commands(true).join(" && ")},
        [dialog = QPointer<PermissionHelpDialog>(this)](int exitStatus, const QString& output) {
            if (dialog != nullptr) {
                dialog->setUpFinished(exitStatus, output);
            }
        });
}

void PermissionHelpDialog::setUpFinished(int exitStatus, const QString& output) {
    setUp_->setEnabled(true);
    if (PermissionSetup::wasCancelled(exitStatus)) {
        status_->setText(text("permission.help.setup.cancelled"));
        showState(state_);
        return;
    }
    const AccessibilityTrustState found = checkAgain_ ? checkAgain_() : state_;
    if (exitStatus != 0) {
        status_->setText(text("permission.help.setup.failed"));
        details_->setPlainText(output.trimmed());
        details_->show();
    } else {
        // Done, but a node the rule now grants may still need reconnecting.
        status_->setText(found.trusted ? text("permission.help.granted")
                                       : text("permission.help.relogin"));
    }
    showState(found);
}

}  // namespace drawlume
