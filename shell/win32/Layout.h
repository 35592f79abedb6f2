// The window's controls with their places at 96 DPI, by component name: the
// page builders add them, the window moves them and gives them their fonts
// and glyphs again whenever its DPI changes, and the tests find them by name.
#pragma once

#include "shell/win32/Metrics.h"
#include "shell/win32/WinApi.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora::win32 {

enum class FontRole { Normal, Bold, Fixed9, Fixed10 };

class Layout {
public:
    // Records `control` at `design` (96 DPI, in its parent) under `name`.
    HWND Add(HWND control, std::string name, RECT design, FontRole font = FontRole::Normal,
             int glyph = -1);

    // Names a window the layout does not place (a page).
    void Name(HWND window, std::string name) { byName_[std::move(name)] = window; }

    // The control of that component name, or null.
    HWND Find(std::string_view name) const;
    // The component name of a control, or empty.
    std::string NameOf(HWND control) const;
    // The place of a control at 96 DPI.
    RECT DesignOf(HWND control) const;

    // Moves and sizes every control for `dpi` and gives it its font and glyph.
    void Apply(int dpi, const Fonts& fonts) const;

    // The size of a button glyph at `dpi`.
    static int GlyphSize(int dpi) { return Scale(16, dpi); }
    // The gap between a button's glyph and its caption at 96 DPI.
    static constexpr int kGlyphGap = 4;

private:
    struct Placed {
        HWND control;
        std::string name;
        RECT design;
        FontRole font;
        int glyph;
    };
    std::vector<Placed> placed_;
    std::map<std::string, HWND, std::less<>> byName_;
};

} // namespace kelmora::win32
