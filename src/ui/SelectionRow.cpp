#include "ui/SelectionRow.hpp"

#include "ui/Symbols.hpp"

namespace drawlume {

SelectionRow::SelectionRow(const QString& text, bool selected, QWidget* parent)
    : QPushButton(text, parent) {
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setIconSize(QSize(16, 16));
    selected_ = !selected;
    setSelectedRow(selected);
}

void SelectionRow::setSelectedRow(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    setIcon(selected ? symbolIcon("largecircle.fill.circle", QColor(0x0a, 0x84, 0xff))
                     : symbolIcon("circle", QColor(0x8e, 0x8e, 0x93)));
    setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 6px 8px; border: none;"
                                 " border-radius: 6px; background: %1; }"
                                 "QPushButton:hover { background: rgba(10, 132, 255, 0.08); }")
                      .arg(selected ? "rgba(10, 132, 255, 0.14)" : "transparent"));
}

}  // namespace drawlume
