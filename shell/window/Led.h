// JvLED1: a round lamp, lit bright green while the watcher idles and dark
// while it is in the active phase of a tick.
#pragma once

#include <QWidget>

class QPainter;
class QRectF;

namespace kelmora {

// The lamp drawn into `area` (the Win32 window's pictures are rendered from
// this too).
void PaintLed(QPainter& painter, const QRectF& area, bool lit);

class Led : public QWidget {
public:
    explicit Led(QWidget* parent = nullptr);

    void SetLit(bool lit);

    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = true;
};

} // namespace kelmora
