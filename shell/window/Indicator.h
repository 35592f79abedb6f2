// A slot's indicator inside the panel Terminaly1: a rounded 32 x 32 square in
// the state's colour at x = 10 + 55 x slot, y = 40, and in front of it the
// state's 24 x 24 icon, 4 pixels right of and below the square's corner.
// Both stay hidden until the slot has been classified at start; a click on
// the icon reports the slot.
#pragma once

#include "engine/Console.h"
#include "shell/IndicatorImage.h"

#include <QColor>
#include <QWidget>
#include <functional>

class QPainter;
class QRectF;

namespace kelmora {

QColor IndicatorColour(IndicatorState state);

// The rounded square in the state's colour, drawn into `area`; the Win32
// window's indicator pictures are rendered from this and the icons.
void PaintIndicatorSquare(QPainter& painter, const QRectF& area, const QColor& colour);

class IndicatorSquare : public QWidget {
public:
    explicit IndicatorSquare(QWidget* parent);
    void SetColour(const QColor& colour);
    QColor Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_{Qt::white};
};

class IndicatorIconButton : public QWidget {
public:
    IndicatorIconButton(QWidget* parent, std::function<void()> onClick);
    void SetImage(int image);
    int Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> onClick_;
    int image_ = 3;
};

class Indicator {
public:
    // `slot` is 0..3.
    Indicator(QWidget* panel, int slot, std::function<void()> onClick);

    void Paint(IndicatorState state);
    void Show();

    IndicatorState State() const { return state_; }
    IndicatorSquare* Square() const { return square_; }
    IndicatorIconButton* Icon() const { return icon_; }

    static constexpr int kSquare = 32;
    static constexpr int kIcon = 24;
    static int Left(int slot) { return 10 + 55 * slot; }
    static constexpr int kTop = 40;

private:
    IndicatorSquare* square_;
    IndicatorIconButton* icon_;
    IndicatorState state_ = IndicatorState::PortNotOpen;
};

} // namespace kelmora
