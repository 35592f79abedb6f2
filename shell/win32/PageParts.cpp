#include "shell/win32/PageParts.h"

#include "shell/form/ControlTable.h"
#include "shell/win32/Panels.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>

namespace kelmora::win32 {

HWND PageParts::Make(std::string_view name, const wchar_t* windowClass, RECT design, DWORD style,
                     DWORD exStyle, FontRole font, int glyph) {
    const form::ControlRow& row = form::RowOf(name);
    const std::wstring text =
        row.kind == form::Kind::Combo ? std::wstring() : Wide(form::InitialText(row));
    if (row.bold && font == FontRole::Normal) {
        font = FontRole::Bold;
    }
    HWND control = CreateWindowExW(exStyle, windowClass, text.c_str(),
                                   WS_CHILD | WS_VISIBLE | style, design.left, design.top,
                                   design.right - design.left, design.bottom - design.top, parent_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(name))),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!row.hint.empty()) {
        hints_.Add(control, Wide(row.hint));
    }
    return layout_.Add(control, std::string(name), design, font, glyph);
}

HWND PageParts::Panel(std::string_view name, RECT design) {
    return Make(name, kPanelClass, design, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, FontRole::Normal);
}

HWND PageParts::Label(std::string_view name, RECT design, DWORD style) {
    return Make(name, L"STATIC", design, style, 0, FontRole::Normal);
}

HWND PageParts::Edit(std::string_view name, RECT design, DWORD style) {
    return Make(name, L"EDIT", design, WS_TABSTOP | style, WS_EX_CLIENTEDGE, FontRole::Normal);
}

HWND PageParts::Button(std::string_view name, int glyph, RECT design) {
    return Make(name, L"BUTTON", design, WS_TABSTOP | BS_PUSHBUTTON, 0, FontRole::Normal, glyph);
}

HWND PageParts::Check(std::string_view name, RECT design) {
    return Make(name, L"BUTTON", design, WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT, 0,
                FontRole::Normal);
}

HWND PageParts::Radio(std::string_view name, RECT design, bool first) {
    return Make(name, L"BUTTON", design, BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0),
                0, FontRole::Normal);
}

HWND PageParts::Group(std::string_view name, RECT design) {
    return Make(name, L"BUTTON", design, BS_GROUPBOX, 0, FontRole::Normal);
}

HWND PageParts::Combo(std::string_view name, RECT design, int visible) {
    HWND combo = Make(name, WC_COMBOBOXW, design, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
                      FontRole::Normal);
    for (const std::string& entry : form::ListEntries(form::RowOf(name).caption)) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    }
    SendMessageW(combo, CB_SETMINVISIBLE, visible, 0);
    return combo;
}

HWND PageParts::Other(std::string_view name, const wchar_t* windowClass, RECT design, DWORD style,
                      DWORD exStyle, FontRole font) {
    return Make(name, windowClass, design, style, exStyle, font);
}

} // namespace kelmora::win32
