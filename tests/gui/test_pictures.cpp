// The painted pictures as Windows files: every size of an icon comes back as
// it was painted (its colours, its transparency and its place in the file),
// and a bitmap carries premultiplied colours bottom-up.
#include "GuiTestMain.h"
#include "shell/window/PictureFiles.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

using namespace kelmora;

namespace {

// A picture that shows whether it is upside down or mirrored, with a
// transparent corner and a half-transparent stripe.
QImage TestPicture(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, size / 2, size / 2), QColor(200, 40, 10));
    p.fillRect(QRect(size / 2, size / 2, size / 2, size / 2), QColor(10, 60, 220));
    p.fillRect(QRect(0, size - 2, size, 2), QColor(0, 255, 0, 128));
    return image;
}

} // namespace

class Pictures : public QObject {
    Q_OBJECT

private slots:
    void iconHoldsEverySizeAsPainted() {
        const std::vector<int> sizes{16, 32, 256};
        QByteArray bytes = IconFile(TestPicture, sizes);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "ico");
        QCOMPARE(reader.imageCount(), 3);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            QVERIFY(reader.jumpToImage(int(i)));
            const QImage read = reader.read().convertToFormat(QImage::Format_ARGB32);
            const QImage painted = TestPicture(sizes[i]).convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(read.size(), painted.size());
            QCOMPARE(read.pixel(1, 1), painted.pixel(1, 1));
            QCOMPARE(qAlpha(read.pixel(sizes[i] - 1, 0)), 0);
            QCOMPARE(read.pixel(sizes[i] - 1, sizes[i] / 2),
                     painted.pixel(sizes[i] - 1, sizes[i] / 2));
            QCOMPARE(qAlpha(read.pixel(3, sizes[i] - 1)), 128);
        }
    }

    void bitmapIsPremultipliedAndBottomUp() {
        const QByteArray bytes = BitmapFile(TestPicture(20));
        QCOMPARE(bytes.left(2), QByteArray("BM"));
        QCOMPARE(bytes.size(), 14 + 40 + 20 * 20 * 4);
        const auto byte = [&](int x, int y, int channel) {
            // Rows bottom-up, pixels B, G, R, A.
            return quint8(bytes[14 + 40 + ((19 - y) * 20 + x) * 4 + channel]);
        };
        QCOMPARE(byte(1, 1, 2), quint8(200)); // red, top left
        QCOMPARE(byte(1, 1, 3), quint8(255));
        QCOMPARE(byte(15, 15, 0), quint8(220));   // blue, bottom right
        QCOMPARE(byte(15, 1, 3), quint8(0));      // transparent
        QCOMPARE(byte(3, 19, 3), quint8(128));    // the half-transparent green...
        QVERIFY(qAbs(byte(3, 19, 1) - 128) <= 1); // ...premultiplied
    }
};

KELMORA_GUI_TEST_MAIN(Pictures)
#include "test_pictures.moc"
