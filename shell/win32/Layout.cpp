#include "shell/win32/Layout.h"

#include "shell/win32/Pictures.h"

#include <commctrl.h>

namespace kelmora::win32 {

HWND Layout::Add(HWND control, std::string name, RECT design, FontRole font, int glyph) {
    byName_[name] = control;
    placed_.push_back({control, std::move(name), design, font, glyph});
    return control;
}

HWND Layout::Find(std::string_view name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

std::string Layout::NameOf(HWND control) const {
    for (const Placed& p : placed_) {
        if (p.control == control) {
            return p.name;
        }
    }
    return {};
}

RECT Layout::DesignOf(HWND control) const {
    for (const Placed& p : placed_) {
        if (p.control == control) {
            return p.design;
        }
    }
    return {};
}

void Layout::Apply(int dpi, const Fonts& fonts) const {
    for (const Placed& p : placed_) {
        const RECT& d = p.design;
        SetWindowPos(p.control, nullptr, Scale(d.left, dpi), Scale(d.top, dpi),
                     Scale(d.right - d.left, dpi), Scale(d.bottom - d.top, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        HFONT font = fonts.normal;
        switch (p.font) {
        case FontRole::Bold:
            font = fonts.bold;
            break;
        case FontRole::Fixed9:
            font = fonts.fixed9;
            break;
        case FontRole::Fixed10:
            font = fonts.fixed10;
            break;
        case FontRole::Normal:
            break;
        }
        SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (p.glyph >= 0) {
            SendMessageW(p.control, BM_SETIMAGE, IMAGE_ICON,
                         reinterpret_cast<LPARAM>(Picture(p.glyph, GlyphSize(dpi))));
            // The caption keeps a gap from its picture, as in the Qt window.
            RECT margin{Scale(kGlyphGap, dpi), 0, 0, 0};
            SendMessageW(p.control, BCM_SETTEXTMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
        }
    }
}

} // namespace kelmora::win32
