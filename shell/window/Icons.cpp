#include "shell/window/Icons.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <functional>
#include <utility>

namespace kelmora {

namespace {

// Every icon is drawn on a 24 x 24 grid and scaled to the size asked for.
using Drawing = std::function<void(QPainter&)>;

class PaintedIconEngine : public QIconEngine {
public:
    explicit PaintedIconEngine(Drawing drawing) : drawing_(std::move(drawing)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        if (mode == QIcon::Disabled) {
            painter->setOpacity(0.35);
        }
        drawing_(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new PaintedIconEngine(drawing_); }
    QString key() const override { return QStringLiteral("kelmora-painted"); }

private:
    Drawing drawing_;
};

QIcon Painted(Drawing drawing) {
    return QIcon(new PaintedIconEngine(std::move(drawing)));
}

const QColor kInk{0x2c, 0x25, 0x20};
const QColor kPaper{0xfb, 0xf8, 0xf3};
const QColor kGreen{0x3f, 0x8f, 0x4a};
const QColor kRed{0xb8, 0x44, 0x3a};
const QColor kAmber{0xd9, 0x9a, 0x2b};
const QColor kSmoke{0x7a, 0x60, 0x4c};

QPen InkPen(double width, const QColor& color = kInk) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The Tobrin terminal: a smoky body, its display (lit while it works) and
// its keypad.
void DrawTerminal(QPainter& p, const QRectF& r, bool lit) {
    QLinearGradient body(r.topLeft(), r.bottomLeft());
    body.setColorAt(0, QColor(0x9a, 0x80, 0x68));
    body.setColorAt(1, QColor(0x5c, 0x49, 0x39));
    p.setPen(InkPen(1.0, QColor(0x3a, 0x2f, 0x27)));
    p.setBrush(body);
    p.drawRoundedRect(r, r.width() * 0.14, r.width() * 0.14);

    const QRectF screen(r.x() + r.width() * 0.16, r.y() + r.height() * 0.12, r.width() * 0.68,
                        r.height() * 0.36);
    p.setPen(Qt::NoPen);
    p.setBrush(lit ? QColor(0x74, 0xe8, 0x9c) : QColor(0x2e, 0x4d, 0x46));
    p.drawRoundedRect(screen, 1.0, 1.0);
    p.setBrush(lit ? QColor(0x1f, 0x5a, 0x33) : QColor(0x8c, 0xd3, 0xb8));
    p.drawRect(QRectF(screen.x() + screen.width() * 0.15,
                      screen.center().y() - screen.height() * 0.12, screen.width() * 0.55,
                      screen.height() * 0.24));

    p.setBrush(QColor(0xef, 0xe6, 0xda));
    const double key = r.width() * 0.075;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QPointF c(r.x() + r.width() * (0.3 + 0.2 * col),
                            r.y() + r.height() * (0.64 + 0.17 * row));
            p.drawEllipse(c, key, key);
        }
    }
}

// A round badge in the lower right corner.
void DrawBadge(QPainter& p, const QColor& color) {
    p.setPen(InkPen(1.0, color.darker(150)));
    p.setBrush(color);
    p.drawEllipse(QPointF(18, 18), 5.5, 5.5);
}

void DrawGear(QPainter& p, const QPointF& c, double r, const QColor& color) {
    p.save();
    p.translate(c);
    p.setPen(InkPen(0.8, color.darker(160)));
    p.setBrush(color);
    QPainterPath gear;
    gear.addEllipse(QPointF(0, 0), r * 0.72, r * 0.72);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRect(QRectF(-r * 0.17, -r, r * 0.34, r * 0.5));
        gear = gear.united(QTransform().rotate(45.0 * i).map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(0, 0), r * 0.3, r * 0.3);
    p.drawPath(gear.subtracted(hole));
    p.restore();
}

void DrawDocument(QPainter& p, const QRectF& r) {
    QPainterPath page;
    const double fold = r.width() * 0.3;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(InkPen(1.2));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    p.setPen(InkPen(1.2, kSmoke));
    for (double y = r.top() + fold + 2.5; y < r.bottom() - 1.5; y += 3.0) {
        p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
    }
}

void DrawArrow(QPainter& p, bool right, const QColor& color) {
    QPolygonF arrow;
    arrow << QPointF(3, 9.5) << QPointF(12, 9.5) << QPointF(12, 5) << QPointF(21, 12)
          << QPointF(12, 19) << QPointF(12, 14.5) << QPointF(3, 14.5);
    if (!right) {
        arrow = QTransform(-1, 0, 0, 1, 24, 0).map(arrow);
    }
    QLinearGradient fill(0, 5, 0, 19);
    fill.setColorAt(0, color.lighter(130));
    fill.setColorAt(1, color);
    p.setPen(InkPen(1.0, color.darker(160)));
    p.setBrush(fill);
    p.drawPolygon(arrow);
}

void DrawExclamation(QPainter& p) {
    DrawBadge(p, kRed);
    p.setPen(InkPen(1.8, Qt::white));
    p.drawLine(QPointF(18, 15), QPointF(18, 18.5));
    p.drawPoint(QPointF(18, 21));
}

void DrawTab(QPainter& p, int page) {
    switch (page) {
    case 0: // the terminal and what is sent to it
        DrawTerminal(p, QRectF(2, 1.5, 15, 21), false);
        DrawBadge(p, kGreen);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF() << QPointF(16.3, 15.2) << QPointF(21, 18) << QPointF(16.3, 20.8));
        break;
    case 1: // the terminals' configuration
        DrawTerminal(p, QRectF(2, 1.5, 15, 21), false);
        DrawGear(p, QPointF(17.5, 17.5), 6.2, kAmber);
        break;
    case 2: { // service: wrench and screwdriver
        p.setPen(InkPen(3.0, QColor(0x8d, 0x93, 0x99)));
        p.drawLine(QPointF(5, 5), QPointF(15, 15));
        p.setPen(InkPen(1.0, kInk));
        p.setBrush(kAmber);
        p.save();
        p.translate(17.5, 17.5);
        p.rotate(45);
        p.drawRoundedRect(QRectF(-2.6, -5.5, 5.2, 11), 2, 2);
        p.restore();
        QPainterPath wrench;
        wrench.addEllipse(QPointF(17, 7), 5, 5);
        QPainterPath handle;
        handle.addRoundedRect(QRectF(-1.8, 0, 3.6, 14), 1.8, 1.8);
        wrench = wrench.united(QTransform().translate(17, 7).rotate(45).map(handle));
        QPainterPath jaw;
        jaw.addRect(QRectF(-1.6, -6, 3.2, 6));
        wrench = wrench.subtracted(QTransform().translate(17, 7).rotate(45).map(jaw));
        QLinearGradient steel(0, 2, 0, 22);
        steel.setColorAt(0, QColor(0xc8, 0xcc, 0xd0));
        steel.setColorAt(1, QColor(0x6e, 0x74, 0x7a));
        p.setPen(InkPen(1.0, QColor(0x3a, 0x3f, 0x44)));
        p.setBrush(steel);
        p.drawPath(wrench);
        break;
    }
    case 3: { // about: the information sign
        QRadialGradient disc(QPointF(9, 8), 14);
        disc.setColorAt(0, QColor(0xa0, 0x84, 0x6a));
        disc.setColorAt(1, QColor(0x55, 0x42, 0x34));
        p.setPen(InkPen(1.0, QColor(0x3a, 0x2f, 0x27)));
        p.setBrush(disc);
        p.drawEllipse(QPointF(12, 12), 10.5, 10.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 6.8), 1.9, 1.9);
        p.drawRoundedRect(QRectF(10.3, 10, 3.4, 9), 1.2, 1.2);
        break;
    }
    default: // the event log
        DrawDocument(p, QRectF(3.5, 1.5, 15, 20));
        DrawExclamation(p);
        break;
    }
}

void DrawIndicator(QPainter& p, int image) {
    switch (image) {
    case 0: { // MASTER: it runs the line
        QPolygonF crown;
        crown << QPointF(4, 16.5) << QPointF(3.5, 7.5) << QPointF(8.5, 11.5) << QPointF(12, 4.5)
              << QPointF(15.5, 11.5) << QPointF(20.5, 7.5) << QPointF(20, 16.5);
        p.setPen(InkPen(1.2));
        p.setBrush(QColor(0x2c, 0x25, 0x20, 210));
        p.drawPolygon(crown);
        p.drawRoundedRect(QRectF(4, 18, 16, 2.6), 1, 1);
        break;
    }
    case 1: { // SLAVE: it answers
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(3, 4, 18, 12), 3.5, 3.5);
        QPainterPath tail;
        tail.moveTo(7, 15);
        tail.lineTo(6, 20.5);
        tail.lineTo(12, 15);
        tail.closeSubpath();
        p.setPen(InkPen(1.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(bubble.united(tail));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        for (double x : {8.0, 12.0, 16.0}) {
            p.drawEllipse(QPointF(x, 10), 1.5, 1.5);
        }
        break;
    }
    case 2: // absent
        p.setPen(InkPen(2.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.drawLine(QPointF(6.4, 17.6), QPointF(17.6, 6.4));
        break;
    default: { // the port did not open: a pulled plug
        p.setPen(InkPen(1.6));
        p.setBrush(QColor(0x2c, 0x25, 0x20, 60));
        p.drawRoundedRect(QRectF(2.5, 8.5, 6, 7), 1.2, 1.2);
        p.drawLine(QPointF(8.5, 10.5), QPointF(11, 10.5));
        p.drawLine(QPointF(8.5, 13.5), QPointF(11, 13.5));
        p.drawRoundedRect(QRectF(14, 7.5, 7.5, 9), 1.2, 1.2);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(16.6, 10.5), 0.8, 0.8);
        p.drawEllipse(QPointF(16.6, 13.5), 0.8, 0.8);
        p.setPen(InkPen(1.3));
        p.drawLine(QPointF(11.8, 5), QPointF(13, 7));
        p.drawLine(QPointF(12.5, 17), QPointF(11.3, 19));
        break;
    }
    }
}

void DrawGlyph(QPainter& p, Glyph glyph) {
    switch (glyph) {
    case Glyph::Send:
        DrawArrow(p, true, kGreen);
        break;
    case Glyph::Back:
        DrawArrow(p, false, kSmoke);
        break;
    case Glyph::CommandFile:
        DrawDocument(p, QRectF(3.5, 1.5, 14, 20));
        DrawBadge(p, kGreen);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF() << QPointF(16.3, 15.2) << QPointF(21, 18) << QPointF(16.3, 20.8));
        break;
    case Glyph::HideWindow:
        p.setPen(InkPen(1.2));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 2.5, 18, 12));
        p.setBrush(kSmoke);
        p.drawRect(QRectF(3, 2.5, 18, 3));
        p.setPen(InkPen(2.2, kGreen.darker(110)));
        p.drawLine(QPointF(12, 9), QPointF(12, 19));
        p.drawLine(QPointF(8.5, 15.5), QPointF(12, 19));
        p.drawLine(QPointF(15.5, 15.5), QPointF(12, 19));
        p.setPen(InkPen(2.0));
        p.drawLine(QPointF(4, 21.5), QPointF(20, 21.5));
        break;
    case Glyph::Quit:
        p.setPen(InkPen(2.6, kRed));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 5, 15, 15), 125 * 16, 290 * 16);
        p.drawLine(QPointF(12, 3), QPointF(12, 11.5));
        break;
    case Glyph::Save: {
        p.setPen(InkPen(1.2, QColor(0x2f, 0x38, 0x45)));
        p.setBrush(QColor(0x56, 0x65, 0x7a));
        QPainterPath disk;
        disk.moveTo(3, 3);
        disk.lineTo(18, 3);
        disk.lineTo(21, 6);
        disk.lineTo(21, 21);
        disk.lineTo(3, 21);
        disk.closeSubpath();
        p.drawPath(disk);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd9, 0xdd, 0xe2));
        p.drawRect(QRectF(7, 3.6, 9, 6));
        p.setBrush(QColor(0x56, 0x65, 0x7a));
        p.drawRect(QRectF(13, 4.6, 2, 4));
        p.setBrush(kPaper);
        p.drawRect(QRectF(6, 13, 12, 7.4));
        p.setPen(InkPen(0.9, kSmoke));
        p.drawLine(QPointF(8, 15.5), QPointF(16, 15.5));
        p.drawLine(QPointF(8, 18), QPointF(16, 18));
        break;
    }
    case Glyph::Clock:
        p.setPen(InkPen(1.6));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        p.setPen(InkPen(1.2, kSmoke));
        for (int i = 0; i < 12; i += 3) {
            p.save();
            p.translate(12, 12);
            p.rotate(30.0 * i);
            p.drawLine(QPointF(0, -8), QPointF(0, -6.5));
            p.restore();
        }
        p.setPen(InkPen(1.8));
        p.drawLine(QPointF(12, 12), QPointF(12, 6));
        p.setPen(InkPen(1.4, kRed));
        p.drawLine(QPointF(12, 12), QPointF(16.5, 14.5));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(12, 12), 1.3, 1.3);
        break;
    case Glyph::EventLog:
        DrawDocument(p, QRectF(3.5, 1.5, 15, 20));
        DrawExclamation(p);
        break;
    case Glyph::Erase: {
        p.setPen(InkPen(1.2));
        p.setBrush(QColor(0x9a, 0x8e, 0x82));
        p.drawRoundedRect(QRectF(4, 5, 16, 2.5), 1, 1);
        p.drawRect(QRectF(10, 3, 4, 2));
        QPolygonF can;
        can << QPointF(5.5, 8) << QPointF(18.5, 8) << QPointF(17, 21.5) << QPointF(7, 21.5);
        p.setBrush(QColor(0xbf, 0xb4, 0xa8));
        p.drawPolygon(can);
        p.setPen(InkPen(1.2, QColor(0x6b, 0x60, 0x56)));
        for (double x : {9.5, 12.0, 14.5}) {
            p.drawLine(QPointF(x, 10.5), QPointF(x, 19));
        }
        break;
    }
    }
}

} // namespace

QIcon TrayImage(int image) {
    const bool busy = image == 1;
    return Painted([busy](QPainter& p) {
        DrawTerminal(p, QRectF(3, 1, 18, 22), busy);
        if (busy) {
            p.setPen(InkPen(1.0, kAmber.darker(150)));
            p.setBrush(kAmber);
            p.drawEllipse(QPointF(19, 19), 4.5, 4.5);
        }
    });
}

QIcon TabIcon(int page) {
    return Painted([page](QPainter& p) { DrawTab(p, page); });
}

QIcon IndicatorIcon(int image) {
    return Painted([image](QPainter& p) { DrawIndicator(p, image); });
}

QIcon GlyphIcon(Glyph glyph) {
    return Painted([glyph](QPainter& p) { DrawGlyph(p, glyph); });
}

void PaintAboutPicture(QPainter& p, const QRectF& area) {
    // Designed for 145 x 311: a Tobrin terminal on its stand.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(area.topLeft());
    p.scale(area.width() / 145.0, area.height() / 311.0);

    QRadialGradient shadow(QPointF(72.5, 300), 60);
    shadow.setColorAt(0, QColor(0x2c, 0x25, 0x20, 90));
    shadow.setColorAt(1, QColor(0x2c, 0x25, 0x20, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(72.5, 300), 62, 9);

    QLinearGradient metal(61, 0, 84, 0);
    metal.setColorAt(0, QColor(0x6e, 0x66, 0x5e));
    metal.setColorAt(0.45, QColor(0xc9, 0xc1, 0xb7));
    metal.setColorAt(1, QColor(0x5a, 0x52, 0x4b));
    p.setPen(QPen(QColor(0x3a, 0x2f, 0x27), 1));
    p.setBrush(metal);
    p.drawRect(QRectF(62, 158, 21, 126));
    QLinearGradient base(0, 280, 0, 300);
    base.setColorAt(0, QColor(0x7d, 0x68, 0x55));
    base.setColorAt(1, QColor(0x4a, 0x3b, 0x30));
    p.setBrush(base);
    QPainterPath foot;
    foot.moveTo(40, 282);
    foot.lineTo(105, 282);
    foot.quadTo(122, 284, 124, 298);
    foot.lineTo(21, 298);
    foot.quadTo(23, 284, 40, 282);
    p.drawPath(foot);

    QLinearGradient body(0, 8, 0, 162);
    body.setColorAt(0, QColor(0xa4, 0x8a, 0x71));
    body.setColorAt(1, QColor(0x5c, 0x49, 0x39));
    p.setPen(QPen(QColor(0x3a, 0x2f, 0x27), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(8, 8, 129, 154), 14, 14);
    p.setPen(QPen(QColor(0xff, 0xff, 0xff, 60), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(11, 11, 123, 148), 12, 12);

    p.setPen(QPen(QColor(0x22, 0x1c, 0x18), 1.5));
    p.setBrush(QColor(0x24, 0x3d, 0x37));
    p.drawRoundedRect(QRectF(21, 20, 103, 48), 4, 4);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x8c, 0xf0, 0xbd));
    p.drawText(QRectF(21, 24, 103, 20), Qt::AlignHCenter, QStringLiteral("TOBRIN"));
    font.setPixelSize(11);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(0x6f, 0xc9, 0x9d));
    p.drawText(QRectF(21, 45, 103, 18), Qt::AlignHCenter, QStringLiteral("11:45  OBĚD"));

    p.setPen(QPen(QColor(0x2a, 0x22, 0x1d), 1));
    p.setBrush(QColor(0x2a, 0x22, 0x1d));
    p.setBrush(QColor(0xd9, 0x9a, 0x2b));
    p.setPen(QPen(QColor(0x8a, 0x5e, 0x16), 1));
    p.drawRoundedRect(QRectF(54, 73, 37, 12), 2, 2);
    p.setPen(QPen(QColor(0x2a, 0x22, 0x1d), 1));
    p.setBrush(QColor(0x2a, 0x22, 0x1d));
    p.drawRoundedRect(QRectF(30, 83, 85, 5), 2, 2);

    QLinearGradient keyFill(0, 0, 0, 12);
    keyFill.setColorAt(0, QColor(0xf6, 0xf0, 0xe8));
    keyFill.setColorAt(1, QColor(0xcf, 0xc4, 0xb6));
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRectF key(36 + col * 26, 96 + row * 15, 21, 11);
            p.save();
            p.translate(key.topLeft());
            p.setPen(QPen(QColor(0x3a, 0x2f, 0x27), 0.8));
            p.setBrush(keyFill);
            p.drawRoundedRect(QRectF(0, 0, key.width(), key.height()), 3, 3);
            p.restore();
        }
    }
    p.setPen(QPen(QColor(0x1f, 0x5a, 0x2a), 1));
    p.setBrush(QColor(0x4c, 0xe0, 0x6a));
    p.drawEllipse(QPointF(124, 149), 3.2, 3.2);
    p.restore();
}

} // namespace kelmora
