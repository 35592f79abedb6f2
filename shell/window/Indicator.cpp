#include "shell/window/Indicator.h"

#include "shell/window/Icons.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelmora {

QColor IndicatorColour(IndicatorState state) {
    switch (state) {
    case IndicatorState::Master:
        return QColor(0x00, 0xff, 0x00);
    case IndicatorState::Slave:
        return QColor(0x00, 0xff, 0xff);
    case IndicatorState::NotConnected:
        return QColor(0xff, 0x00, 0x00);
    case IndicatorState::PortNotOpen:
        break;
    }
    return QColor(0xff, 0xff, 0xff);
}

IndicatorSquare::IndicatorSquare(QWidget* parent) : QWidget(parent) {}

void IndicatorSquare::SetColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void PaintIndicatorSquare(QPainter& p, const QRectF& area, const QColor& colour) {
    // Designed for 32 x 32.
    const double scale = area.width() / Indicator::kSquare;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(175), scale));
    p.setBrush(colour);
    p.drawRoundedRect(area.adjusted(0.5 * scale, 0.5 * scale, -0.5 * scale, -0.5 * scale),
                      6 * scale, 6 * scale);
    p.restore();
}

void IndicatorSquare::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintIndicatorSquare(p, QRectF(rect()), colour_);
}

IndicatorIconButton::IndicatorIconButton(QWidget* parent, std::function<void()> onClick)
    : QWidget(parent), onClick_(std::move(onClick)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
}

void IndicatorIconButton::SetImage(int image) {
    image_ = image;
    update();
}

void IndicatorIconButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    IndicatorIcon(image_).paint(&p, rect());
}

void IndicatorIconButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick_) {
        onClick_();
    }
}

Indicator::Indicator(QWidget* panel, int slot, std::function<void()> onClick)
    : square_(new IndicatorSquare(panel)),
      icon_(new IndicatorIconButton(panel, std::move(onClick))) {
    square_->setObjectName(QStringLiteral("Indicator%1").arg(slot + 1));
    icon_->setObjectName(QStringLiteral("IndicatorIcon%1").arg(slot + 1));
    square_->setGeometry(Left(slot), kTop, kSquare, kSquare);
    icon_->setGeometry(Left(slot) + 4, kTop + 4, kIcon, kIcon);
    icon_->raise();
    square_->hide();
    icon_->hide();
}

void Indicator::Paint(IndicatorState state) {
    state_ = state;
    square_->SetColour(IndicatorColour(state));
    icon_->SetImage(IndicatorImage(state));
}

void Indicator::Show() {
    square_->show();
    icon_->show();
    icon_->raise();
}

} // namespace kelmora
