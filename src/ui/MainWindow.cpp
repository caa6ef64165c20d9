#include "ui/MainWindow.hpp"

#include <QCloseEvent>

namespace drawlume {

MainWindow::MainWindow(std::function<bool()> shouldClose, QWidget* parent)
    : QMainWindow(parent), shouldClose_(std::move(shouldClose)) {
    setObjectName("mainWindow");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!shouldClose_ || shouldClose_()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace drawlume
