#pragma once

#include <QMainWindow>
#include <functional>

namespace drawlume {

// The main window: not resizable by the user (it fits its content), and its
// close button asks first: the answer decides whether it may close.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(std::function<bool()> shouldClose, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> shouldClose_;
};

}  // namespace drawlume
