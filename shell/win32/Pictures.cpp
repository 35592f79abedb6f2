#include "shell/win32/Pictures.h"

#include "shell/win32/ResourceIds.h"

#include <map>
#include <utility>

namespace kelmora::win32 {

namespace {

// Main thread only, like every window call.
std::map<std::pair<int, int>, HICON>& LoadedIcons() {
    static std::map<std::pair<int, int>, HICON> icons;
    return icons;
}

} // namespace

HICON Picture(int id, int size) {
    auto& icons = LoadedIcons();
    const auto key = std::make_pair(id, size);
    if (const auto it = icons.find(key); it != icons.end()) {
        return it->second;
    }
    auto* icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                               IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    icons.emplace(key, icon);
    return icon;
}

void DrawPicture(HDC dc, int id, int x, int y, int size) {
    if (HICON icon = Picture(id, size)) {
        DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    }
}

HBITMAP AboutPicture(int dpi, SIZE& size) {
    // The nearest scale at or above the DPI's, so the picture is never blown up.
    int id = IDB_ABOUT200;
    int scale = 200;
    for (const auto& [resource, percent] :
         {std::pair{IDB_ABOUT100, 100}, {IDB_ABOUT125, 125}, {IDB_ABOUT150, 150}}) {
        if (dpi * 100 <= 96 * percent) {
            id = resource;
            scale = percent;
            break;
        }
    }
    static std::map<int, HBITMAP> bitmaps;
    HBITMAP& bitmap = bitmaps[id];
    if (bitmap == nullptr) {
        bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    }
    size = {145 * scale / 100, 311 * scale / 100};
    return bitmap;
}

} // namespace kelmora::win32
