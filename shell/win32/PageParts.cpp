#include "shell/win32/PageParts.h"

#include "shell/win32/Panels.h"

#include <commctrl.h>

namespace kelmora::win32 {

HWND PageParts::Make(const char* name, const wchar_t* windowClass, const wchar_t* text, int id,
                     RECT design, DWORD style, DWORD exStyle, FontRole font, int glyph) {
    HWND control = CreateWindowExW(
        exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, design.left, design.top,
        design.right - design.left, design.bottom - design.top, parent_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    return layout_.Add(control, name, design, font, glyph);
}

HWND PageParts::Panel(const char* name, RECT design) {
    return Make(name, kPanelClass, L"", 0, design, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                FontRole::Normal);
}

HWND PageParts::Label(const char* name, const wchar_t* text, RECT design, bool bold, DWORD style) {
    return Make(name, L"STATIC", text, 0, design, style, 0,
                bold ? FontRole::Bold : FontRole::Normal);
}

HWND PageParts::Edit(const char* name, int id, RECT design, DWORD style) {
    return Make(name, L"EDIT", L"", id, design, WS_TABSTOP | style, WS_EX_CLIENTEDGE,
                FontRole::Normal);
}

HWND PageParts::Button(const char* name, int id, const wchar_t* text, int glyph, RECT design) {
    return Make(name, L"BUTTON", text, id, design, WS_TABSTOP | BS_PUSHBUTTON, 0, FontRole::Normal,
                glyph);
}

HWND PageParts::Check(const char* name, int id, const wchar_t* text, RECT design) {
    return Make(name, L"BUTTON", text, id, design, WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT, 0,
                FontRole::Normal);
}

HWND PageParts::Radio(const char* name, int id, const wchar_t* text, RECT design, bool first) {
    return Make(name, L"BUTTON", text, id, design,
                BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), 0, FontRole::Normal);
}

HWND PageParts::Group(const char* name, const wchar_t* text, RECT design, bool bold) {
    return Make(name, L"BUTTON", text, 0, design, BS_GROUPBOX, 0,
                bold ? FontRole::Bold : FontRole::Normal);
}

HWND PageParts::Combo(const char* name, int id, RECT design,
                      const std::vector<std::wstring>& entries, int visible) {
    HWND combo = Make(name, WC_COMBOBOXW, L"", id, design,
                      WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, FontRole::Normal);
    for (const std::wstring& entry : entries) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageW(combo, CB_SETMINVISIBLE, visible, 0);
    return combo;
}

HWND PageParts::Other(const char* name, const wchar_t* windowClass, int id, RECT design,
                      DWORD style, DWORD exStyle, FontRole font) {
    return Make(name, windowClass, L"", id, design, style, exStyle, font);
}

} // namespace kelmora::win32
