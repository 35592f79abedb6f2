#include "shell/window/PictureFiles.h"

#include <QBuffer>
#include <QDataStream>

namespace kelmora {

namespace {

constexpr int kInfoHeaderSize = 40;

// Windows' files are little-endian.
class Writer : public QDataStream {
public:
    explicit Writer(QByteArray& bytes) : QDataStream(&bytes, QIODevice::WriteOnly) {
        setByteOrder(QDataStream::LittleEndian);
    }
};

// BITMAPINFOHEADER of a 32-bit image; an icon's image counts its mask in
// the height.
void WriteInfoHeader(QDataStream& out, int width, int height, quint32 imageBytes) {
    out << quint32(kInfoHeaderSize) << qint32(width) << qint32(height) << quint16(1) << quint16(32)
        << quint32(0) << imageBytes << qint32(0) << qint32(0) << quint32(0) << quint32(0);
}

// Rows bottom-up, each pixel B, G, R, A.
void WritePixels(QDataStream& out, const QImage& image) {
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            out << quint8(qBlue(row[x])) << quint8(qGreen(row[x])) << quint8(qRed(row[x]))
                << quint8(qAlpha(row[x]));
        }
    }
}

// The icon image of one size: the 32-bit colours and the 1-bit mask, or PNG.
QByteArray IconImage(const QImage& picture) {
    QByteArray bytes;
    if (picture.width() >= 256) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        return bytes;
    }
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int maskStride = ((image.width() + 31) / 32) * 4;
    Writer out(bytes);
    WriteInfoHeader(out, image.width(), image.height() * 2,
                    quint32(image.width() * image.height() * 4 + maskStride * image.height()));
    WritePixels(out, image);
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0) {
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
            }
        }
        out.writeRawData(mask.constData(), int(mask.size()));
    }
    return bytes;
}

} // namespace

QByteArray IconFile(const PictureRenderer& render, const std::vector<int>& sizes) {
    std::vector<QByteArray> images;
    images.reserve(sizes.size());
    for (int size : sizes) {
        images.push_back(IconImage(render(size)));
    }
    QByteArray file;
    Writer out(file);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = quint32(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = sizes[i];
        const quint8 side = size >= 256 ? 0 : quint8(size); // 0 stands for 256
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << quint32(images[i].size()) << offset;
        offset += quint32(images[i].size());
    }
    for (const QByteArray& image : images) {
        out.writeRawData(image.constData(), int(image.size()));
    }
    return file;
}

QByteArray BitmapFile(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const quint32 pixelBytes = quint32(image.width() * image.height() * 4);
    QByteArray file;
    Writer out(file);
    out << quint8('B') << quint8('M') << quint32(14 + kInfoHeaderSize + pixelBytes) << quint16(0)
        << quint16(0) << quint32(14 + kInfoHeaderSize);
    WriteInfoHeader(out, image.width(), image.height(), pixelBytes);
    WritePixels(out, image);
    return file;
}

} // namespace kelmora
