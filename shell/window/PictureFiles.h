// Kelmora's painted pictures as files, for the programs that cannot paint
// them at run time: the Win32 window embeds them as resources, packages
// install them as icons.
//   IconFile     a Windows icon with one image per size (32-bit images with
//                their mask; a size of 256 or more is stored as PNG)
//   BitmapFile   a 32-bit Windows bitmap with premultiplied alpha, as
//                AlphaBlend draws it
#pragma once

#include <QByteArray>
#include <QImage>
#include <functional>
#include <vector>

namespace kelmora {

// Paints one picture into an image of the given size.
using PictureRenderer = std::function<QImage(int size)>;

QByteArray IconFile(const PictureRenderer& render, const std::vector<int>& sizes);
QByteArray BitmapFile(const QImage& image);

} // namespace kelmora
