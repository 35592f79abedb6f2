#include "shell/win32/StatusBar.h"

#include "shell/form/ControlTable.h"
#include "shell/win32/Metrics.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>

#include <algorithm>

namespace kelmora::win32 {

namespace {

// Room around a panel's text: its frame and the bar's padding.
constexpr int kTextPadding = 8;

bool IsValuePanel(int index) {
    return index % 2 == 1 && index < StatusBar::kCount - 1;
}

const form::ControlRow& RowOfPanel(int index) {
    return form::RowOf("StatusPanel" + std::to_string(index));
}

} // namespace

void StatusBar::Create(HWND window, int id) {
    bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
    note_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0,
                            0, 0, 0, bar_, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < kCount; ++i) {
        texts_[i] = Wide(RowOfPanel(i).caption);
    }
}

int StatusBar::DesignedWidth(int index) {
    return RowOfPanel(index).width;
}

bool StatusBar::FitPanels() {
    HDC dc = GetDC(bar_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(bar_, WM_GETFONT, 0, 0)));
    std::array<int, kCount> edges{};
    int right = 0;
    for (int i = 0; i < kCount; ++i) {
        SIZE text{};
        GetTextExtentPoint32W(dc, texts_[i].c_str(), static_cast<int>(texts_[i].size()), &text);
        const int needed = texts_[i].empty() ? 0 : text.cx + Scale(kTextPadding, dpi_);
        right += std::max(Scale(DesignedWidth(i), dpi_), needed);
        edges[i] = right;
    }
    SelectObject(dc, old);
    ReleaseDC(bar_, dc);
    if (edges == edges_) {
        return false;
    }
    edges_ = edges;
    SendMessageW(bar_, SB_SETPARTS, kCount, reinterpret_cast<LPARAM>(edges_.data()));
    return true;
}

void StatusBar::Layout(int dpi) {
    dpi_ = dpi;
    edges_ = {};
    FitPanels();
    SendMessageW(bar_, WM_SIZE, 0, 0);
    SendMessageW(note_, WM_SETFONT, SendMessageW(bar_, WM_GETFONT, 0, 0), FALSE);
    RECT bar{};
    GetClientRect(bar_, &bar);
    SetWindowPos(note_, HWND_TOP, edges_[1] + Scale(2, dpi), Scale(2, dpi),
                 bar.right - edges_[1] - Scale(4, dpi), bar.bottom - Scale(4, dpi), SWP_NOACTIVATE);
    for (int i = 0; i < kCount; ++i) {
        SetText(i, texts_[i]);
    }
}

void StatusBar::SetText(int index, const std::wstring& text) {
    if (index < 0 || index >= kCount) {
        return;
    }
    texts_[index] = text;
    if (FitPanels()) {
        // Every panel again: the bar keeps a panel's text by its place.
        for (int i = 0; i < kCount; ++i) {
            if (i != index) {
                SetText(i, texts_[i]);
            }
        }
        RECT bar{};
        GetClientRect(bar_, &bar);
        SetWindowPos(note_, nullptr, edges_[1] + Scale(2, dpi_), Scale(2, dpi_),
                     bar.right - edges_[1] - Scale(4, dpi_), bar.bottom - Scale(4, dpi_),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A tab before the text centres it, two align it right.
    const std::wstring shown = IsValuePanel(index)   ? L"\t" + text
                               : index == kCount - 1 ? text
                                                     : L"\t\t" + text;
    const WPARAM type = IsValuePanel(index) ? 0 : SBT_NOBORDERS;
    SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(index) | type,
                 reinterpret_cast<LPARAM>(shown.c_str()));
}

std::wstring StatusBar::Text(int index) const {
    return index >= 0 && index < kCount ? texts_[index] : std::wstring();
}

void StatusBar::ShowNote(const std::wstring& text, UINT_PTR timerId) {
    SetWindowTextW(note_, text.c_str());
    ShowWindow(note_, SW_SHOWNA);
    SetTimer(GetParent(bar_), timerId, kNoteMs, nullptr);
}

void StatusBar::HideNote() {
    ShowWindow(note_, SW_HIDE);
}

std::wstring StatusBar::Note() const {
    if ((GetWindowLongPtrW(note_, GWL_STYLE) & WS_VISIBLE) == 0) { // the window may be hidden
        return {};
    }
    wchar_t text[256] = L"";
    GetWindowTextW(note_, text, 256);
    return text;
}

int StatusBar::Height() const {
    RECT r{};
    GetWindowRect(bar_, &r);
    return r.bottom - r.top;
}

} // namespace kelmora::win32
