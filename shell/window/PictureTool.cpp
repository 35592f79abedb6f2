// kelmora-pictures: Kelmora's painted pictures as files, rendered by the same
// painter as the Qt window, for what cannot paint them at run time.
//
//   kelmora-pictures window DIR
//       every picture the Win32 window embeds (shell/win32/kelmora.rc names
//       them): kelmora.ico (the program's icon), tray0.ico and tray1.ico
//       (the notification-area images), tab0.ico .. tab4.ico, indicator0.ico
//       .. indicator3.ico (square and icon of each state), led0.ico (dark)
//       and led1.ico (lit), glyph0.ico .. glyph8.ico (the large buttons), and
//       about-100.bmp, about-125.bmp, about-150.bmp, about-200.bmp (the
//       picture of page "O programu" at each scale)
//   kelmora-pictures icon DIR SIZE...
//       the program's icon at each SIZE: DIR/kelmora.ico (the sizes up to
//       256), and
//       DIR/<SIZE>x<SIZE>/apps/kelmora.png as the hicolor icon theme lays
//       them out
//
// It needs no display: run it on the offscreen platform
// (QT_QPA_PLATFORM=offscreen), as the build does.
#include "engine/Console.h"
#include "shell/window/Icons.h"
#include "shell/window/Indicator.h"
#include "shell/window/Led.h"
#include "shell/window/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

using namespace kelmora;

namespace {

// The sizes of each kind of picture: its size at 96 DPI and at 125 %, 150 %
// and 200 %.
const std::vector<int> kAppIconSizes{16, 20, 24, 32, 40, 48, 64, 128, 256};
const std::vector<int> kTraySizes{16, 20, 24, 32, 40, 48, 64};
const std::vector<int> kTabSizes{24, 30, 36, 48};
const std::vector<int> kIndicatorSizes{32, 40, 48, 64};
const std::vector<int> kLedSizes{20, 25, 30, 40};
const std::vector<int> kGlyphSizes{16, 20, 24, 32};
const std::vector<int> kAboutScales{100, 125, 150, 200};
constexpr int kGlyphCount = static_cast<int>(Glyph::Erase) + 1;

QImage Blank(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

PictureRenderer FromIcon(const QIcon& icon) {
    return [icon](int size) {
        QImage image = Blank(size, size);
        QPainter p(&image);
        icon.paint(&p, QRect(0, 0, size, size));
        return image;
    };
}

PictureRenderer IndicatorPicture(IndicatorState state) {
    return [state](int size) {
        QImage image = Blank(size, size);
        QPainter p(&image);
        PaintIndicatorSquare(p, QRectF(0, 0, size, size), IndicatorColour(state));
        const double inset = size * 4.0 / Indicator::kSquare;
        IndicatorIcon(IndicatorImage(state))
            .paint(&p, QRectF(inset, inset, size - 2 * inset, size - 2 * inset).toRect());
        return image;
    };
}

PictureRenderer LedPicture(bool lit) {
    return [lit](int size) {
        QImage image = Blank(size, size);
        QPainter p(&image);
        PaintLed(p, QRectF(0, 0, size, size), lit);
        return image;
    };
}

bool Write(const QDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::cerr << "kelmora-pictures: cannot write " << file.fileName().toStdString() << '\n';
        return false;
    }
    return true;
}

bool WindowPictures(const QDir& dir) {
    bool ok =
        Write(dir, QStringLiteral("kelmora.ico"), IconFile(FromIcon(TrayImage(0)), kAppIconSizes));
    for (int i = 0; i < 2; ++i) {
        ok &= Write(dir, QStringLiteral("tray%1.ico").arg(i),
                    IconFile(FromIcon(TrayImage(i)), kTraySizes));
        ok &=
            Write(dir, QStringLiteral("led%1.ico").arg(i), IconFile(LedPicture(i == 1), kLedSizes));
    }
    for (int i = 0; i < 5; ++i) {
        ok &= Write(dir, QStringLiteral("tab%1.ico").arg(i),
                    IconFile(FromIcon(TabIcon(i)), kTabSizes));
    }
    const IndicatorState states[4] = {IndicatorState::Master, IndicatorState::Slave,
                                      IndicatorState::NotConnected, IndicatorState::PortNotOpen};
    for (IndicatorState state : states) {
        ok &= Write(dir, QStringLiteral("indicator%1.ico").arg(IndicatorImage(state)),
                    IconFile(IndicatorPicture(state), kIndicatorSizes));
    }
    for (int i = 0; i < kGlyphCount; ++i) {
        ok &= Write(dir, QStringLiteral("glyph%1.ico").arg(i),
                    IconFile(FromIcon(GlyphIcon(static_cast<Glyph>(i))), kGlyphSizes));
    }
    for (int scale : kAboutScales) {
        QImage image = Blank(145 * scale / 100, 311 * scale / 100);
        {
            QPainter p(&image);
            PaintAboutPicture(p, QRectF(0, 0, image.width(), image.height()));
        }
        ok &= Write(dir, QStringLiteral("about-%1.bmp").arg(scale), BitmapFile(image));
    }
    return ok;
}

bool AppIcon(const QDir& dir, const std::vector<int>& sizes) {
    const PictureRenderer render = FromIcon(TrayImage(0));
    std::vector<int> iconSizes; // a Windows icon holds sizes up to 256
    std::copy_if(sizes.begin(), sizes.end(), std::back_inserter(iconSizes),
                 [](int size) { return size <= 256; });
    bool ok = Write(dir, QStringLiteral("kelmora.ico"), IconFile(render, iconSizes));
    for (int size : sizes) {
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        ok &= dir.mkpath(sub) &&
              render(size).save(dir.filePath(sub + QStringLiteral("/kelmora.png")), "PNG");
    }
    return ok;
}

int Usage() {
    std::cerr << "usage: kelmora-pictures window DIR\n"
                 "       kelmora-pictures icon DIR SIZE...\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        return Usage();
    }
    const QString& command = args[1];
    QDir dir(args[2]);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::cerr << "kelmora-pictures: cannot create " << args[2].toStdString() << '\n';
        return 1;
    }
    if (command == QStringLiteral("window") && args.size() == 3) {
        return WindowPictures(dir) ? 0 : 1;
    }
    if (command == QStringLiteral("icon") && args.size() > 3) {
        std::vector<int> sizes;
        for (int i = 3; i < args.size(); ++i) {
            bool number = false;
            const int size = args[i].toInt(&number);
            if (!number || size < 1 || size > 1024) {
                std::cerr << "kelmora-pictures: not a size: " << args[i].toStdString() << '\n';
                return 2;
            }
            sizes.push_back(size);
        }
        return AppIcon(dir, sizes) ? 0 : 1;
    }
    return Usage();
}
