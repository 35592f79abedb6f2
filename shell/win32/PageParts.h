// Builds the controls of one page (or panel) from the control table
// (shell/form/ControlTable.h): each one named, given its command ID, its
// caption or list entries, its weight and its hint, and placed at 96 DPI in
// its parent. Labels are created right before the control they name, so the
// keyboard reaches the control through the label and the tests find it
// there.
#pragma once

#include "shell/win32/Controls.h"
#include "shell/win32/Hints.h"
#include "shell/win32/Layout.h"

#include <string_view>

namespace kelmora::win32 {

class PageParts {
public:
    PageParts(HWND parent, Layout& layout, Hints& hints)
        : parent_(parent), layout_(layout), hints_(hints) {}

    HWND Panel(std::string_view name, RECT design);
    HWND Label(std::string_view name, RECT design, DWORD style = SS_LEFT);
    HWND Edit(std::string_view name, RECT design, DWORD style = ES_AUTOHSCROLL);
    // A push button with its glyph (-1: none) left of the caption.
    HWND Button(std::string_view name, int glyph, RECT design);
    // A check box with its caption left of the box.
    HWND Check(std::string_view name, RECT design);
    HWND Radio(std::string_view name, RECT design, bool first);
    HWND Group(std::string_view name, RECT design);
    // A drop-down list with its entries; at most `visible` show at once.
    HWND Combo(std::string_view name, RECT design, int visible);
    // A control of another class.
    HWND Other(std::string_view name, const wchar_t* windowClass, RECT design, DWORD style,
               DWORD exStyle = 0, FontRole font = FontRole::Normal);

private:
    HWND Make(std::string_view name, const wchar_t* windowClass, RECT design, DWORD style,
              DWORD exStyle, FontRole font, int glyph = -1);

    HWND parent_;
    Layout& layout_;
    Hints& hints_;
};

// A place at 96 DPI from its corner and size.
constexpr RECT At(int x, int y, int width, int height) {
    return RECT{x, y, x + width, y + height};
}

// The pages; each fills its page window (TabSheet1..TabSheet5).
void BuildControlPage(HWND page, Controls& ui, Layout& layout, Hints& hints);
void BuildTerminalConfigPage(HWND page, Controls& ui, Layout& layout, Hints& hints);
void BuildServicePage(HWND page, Controls& ui, Layout& layout, Hints& hints);
void BuildAboutPage(HWND page, Controls& ui, Layout& layout, Hints& hints);
void BuildEventLogPage(HWND page, Controls& ui, Layout& layout, Hints& hints);

// The size of a page at 96 DPI: the tab control's display area.
inline constexpr int kPageWidth = 588;
inline constexpr int kPageHeight = 328;

} // namespace kelmora::win32
