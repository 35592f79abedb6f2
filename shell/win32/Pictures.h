// The window's pictures, embedded in kelmora.exe (ResourceIds.h) and loaded
// at the size the DPI asks for; each icon file holds the sizes for 100 %,
// 125 %, 150 % and 200 %, so Windows scales nothing. Loaded pictures are
// kept until the program ends.
#pragma once

#include "shell/win32/WinApi.h"

namespace kelmora::win32 {

// The icon resource `id` at `size` x `size` pixels.
HICON Picture(int id, int size);

// Draws the icon resource `id` with its top left corner at (x, y).
void DrawPicture(HDC dc, int id, int x, int y, int size);

// The picture of page "O programu" for `dpi` (premultiplied alpha) and its
// size in pixels.
HBITMAP AboutPicture(int dpi, SIZE& size);

} // namespace kelmora::win32
