#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace drawlume {

class AppLocalization;
class SwitchButton;

// The debug section: a header row (title, events per second, the switch and
// Clear) and, while collection is on, a box with the latest lines, the ones
// reporting a DELAY in red, scrolled to the last line whenever it changes.
// New lines are appended and the ones the cap dropped removed; the box is
// filled again only when the list changed otherwise (cleared, say).
class DebugLogPanel final : public QWidget {
    Q_OBJECT

public:
    DebugLogPanel(std::function<void(bool)> setEnabled, std::function<void()> clear,
                  QWidget* parent = nullptr);

    void update(const AppLocalization& localization, bool enabled, int64_t eventsPerSecond,
                const std::vector<std::string>& lines);

    // The box's height, and the least it gives up to when the screen is short.
    static constexpr int kBoxHeight = 150;
    static constexpr int kMinimumBoxHeight = 60;
    void setBoxHeight(int height);
    bool isBoxShown() const;

private:
    void showLines(const std::vector<std::string>& lines);
    void addLine(const std::string& line);

    QLabel* title_;
    QLabel* rate_;
    SwitchButton* switch_;
    QPushButton* clear_;
    QListWidget* box_;
    std::vector<std::string> shown_;
};

}  // namespace drawlume
