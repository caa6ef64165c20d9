#pragma once

#include <QTimer>
#include <QWidget>

namespace drawlume {

// A small indeterminate progress indicator: a ring of dots turning while visible.
class Spinner final : public QWidget {
    Q_OBJECT

public:
    explicit Spinner(int diameter, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {diameter_, diameter_}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int diameter_;
    int step_ = 0;
    QTimer timer_;
};

}  // namespace drawlume
