#pragma once

#include <QAbstractButton>

namespace drawlume {

// An on/off switch: a rounded track with a sliding knob, checkable, no label.
class SwitchButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit SwitchButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace drawlume
