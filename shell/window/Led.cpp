#include "shell/window/Led.h"

#include <QPainter>
#include <QRadialGradient>

namespace kelmora {

Led::Led(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void Led::SetLit(bool lit) {
    if (lit_ != lit) {
        lit_ = lit;
        repaint();
    }
}

void PaintLed(QPainter& p, const QRectF& area, bool lit) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double d = std::min(area.width(), area.height()) - 2.0;
    const QRectF lamp(area.x() + (area.width() - d) / 2, area.y() + (area.height() - d) / 2, d, d);

    QLinearGradient rim(lamp.topLeft(), lamp.bottomRight());
    rim.setColorAt(0, QColor(0x4b, 0x41, 0x39));
    rim.setColorAt(1, QColor(0xe8, 0xe1, 0xd8));
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawEllipse(lamp);

    const QRectF glass = lamp.adjusted(d * 0.12, d * 0.12, -d * 0.12, -d * 0.12);
    QRadialGradient fill(glass.center() - QPointF(glass.width() * 0.2, glass.height() * 0.2),
                         glass.width() * 0.75);
    if (lit) {
        fill.setColorAt(0, QColor(0xe6, 0xff, 0xe6));
        fill.setColorAt(0.35, QColor(0x4c, 0xe0, 0x6a));
        fill.setColorAt(1, QColor(0x1e, 0x8a, 0x34));
    } else {
        fill.setColorAt(0, QColor(0x6c, 0x80, 0x6e));
        fill.setColorAt(0.4, QColor(0x2f, 0x4a, 0x33));
        fill.setColorAt(1, QColor(0x1a, 0x26, 0x1c));
    }
    p.setBrush(fill);
    p.drawEllipse(glass);
    p.restore();
}

void Led::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintLed(p, QRectF(rect()), lit_);
}

} // namespace kelmora
