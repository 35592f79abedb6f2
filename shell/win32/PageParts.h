// Builds the controls of one page (or panel): each one named, placed at 96
// DPI in its parent, given its font role and, for a few, a hint. Labels are
// created right before the control they name, so the keyboard reaches the
// control through the label and the tests find it there.
#pragma once

#include "shell/win32/Controls.h"
#include "shell/win32/Hints.h"
#include "shell/win32/Layout.h"

#include <string>
#include <vector>

namespace kelmora::win32 {

class PageParts {
public:
    PageParts(HWND parent, Layout& layout, Hints& hints)
        : parent_(parent), layout_(layout), hints_(hints) {}

    HWND Panel(const char* name, RECT design);
    HWND Label(const char* name, const wchar_t* text, RECT design, bool bold = false,
               DWORD style = SS_LEFT);
    HWND Edit(const char* name, int id, RECT design, DWORD style = ES_AUTOHSCROLL);
    // A push button with its glyph (-1: none) left of the caption.
    HWND Button(const char* name, int id, const wchar_t* text, int glyph, RECT design);
    // A check box with its caption left of the box.
    HWND Check(const char* name, int id, const wchar_t* text, RECT design);
    HWND Radio(const char* name, int id, const wchar_t* text, RECT design, bool first);
    HWND Group(const char* name, const wchar_t* text, RECT design, bool bold);
    // A drop-down list with its entries; at most `visible` show at once.
    HWND Combo(const char* name, int id, RECT design, const std::vector<std::wstring>& entries,
               int visible);
    // A control of another class.
    HWND Other(const char* name, const wchar_t* windowClass, int id, RECT design, DWORD style,
               DWORD exStyle = 0, FontRole font = FontRole::Normal);

    void Hint(HWND control, const wchar_t* hint) { hints_.Add(control, hint); }

private:
    HWND Make(const char* name, const wchar_t* windowClass, const wchar_t* text, int id,
              RECT design, DWORD style, DWORD exStyle, FontRole font, int glyph = -1);

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
