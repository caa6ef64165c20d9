#pragma once

#include <QPushButton>

namespace drawlume {

// One choice in the device or display list: a radio symbol and a text, the
// chosen row on a blue-tinted background. Pressing it selects it.
class SelectionRow final : public QPushButton {
    Q_OBJECT

public:
    SelectionRow(const QString& text, bool selected, QWidget* parent = nullptr);
    void setSelectedRow(bool selected);

private:
    bool selected_ = false;
};

}  // namespace drawlume
