#include "ui/QtDesktopServices.hpp"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <vector>

#include "ui/Symbols.hpp"

namespace drawlume {

size_t QtAlerts::runModal(const AlertContent& alert) {
    QMessageBox box;
    box.setWindowIcon(appIcon());
    box.setText(QString::fromStdString(alert.messageText));
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    if (!alert.detailedText.empty()) {
        box.setDetailedText(QString::fromStdString(alert.detailedText));
    }
    // Selectable, so a path or a message can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (alert.style) {
        case AlertStyle::informational:
            box.setIcon(QMessageBox::Information);
            break;
        case AlertStyle::critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case AlertStyle::warning:
            box.setIcon(QMessageBox::Warning);
            break;
    }
    std::vector<QPushButton*> buttons;
    for (const std::string& title : alert.buttonTitles) {
        buttons.push_back(box.addButton(QString::fromStdString(title), QMessageBox::AcceptRole));
    }
    if (buttons.empty()) {
        buttons.push_back(box.addButton(QMessageBox::Ok));
    }
    box.setDefaultButton(buttons.front());
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return i;
        }
    }
    return 0;
}

bool QtWorkspace::openFolder(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool QtWorkspace::openAddress(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

}  // namespace drawlume
