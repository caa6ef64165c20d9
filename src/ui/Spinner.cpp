#include "ui/Spinner.hpp"

#include <QPainter>
#include <cmath>

namespace drawlume {

namespace {
constexpr int kDots = 8;
}

Spinner::Spinner(int diameter, QWidget* parent) : QWidget(parent), diameter_(diameter) {
    setFixedSize(diameter, diameter);
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kDots;
        update();
    });
}

void Spinner::showEvent(QShowEvent*) {
    timer_.start();
}

void Spinner::hideEvent(QHideEvent*) {
    timer_.stop();
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor colour = palette().color(QPalette::WindowText);
    const qreal centre = diameter_ / 2.0;
    const qreal dot = diameter_ / 7.0;
    for (int i = 0; i < kDots; ++i) {
        const qreal angle = 2 * M_PI * i / kDots;
        QColor shade = colour;
        shade.setAlphaF(0.15 + 0.85 * ((i - step_ + kDots) % kDots) / (kDots - 1.0));
        painter.setBrush(shade);
        painter.drawEllipse(QPointF(centre + (centre - dot) * std::cos(angle),
                                    centre + (centre - dot) * std::sin(angle)),
                            dot / 2, dot / 2);
    }
}

}  // namespace drawlume
