// TForm1 as the engine's operator console.
#include "shell/IndicatorImage.h"
#include "shell/win32/Panels.h"
#include "shell/win32/TForm1.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>

#include <algorithm>

namespace kelmora::win32 {

namespace {

bool ValidSlot(int slot) {
    return slot >= 0 && slot < 4;
}

// The width of the longest line, so long result lines scroll sideways
// instead of losing characters.
void WidenFor(HWND list, const std::wstring& line) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    const auto extent = static_cast<int>(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
    if (size.cx + 8 > extent) {
        SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(size.cx + 8), 0);
    }
}

} // namespace

// What a job shows is painted at once: painted later, inside the serial
// driver's wait after a frame, it could delay the emptying of the input past
// the terminal's answer.
void TForm1::ClearResults() {
    SendMessageW(ui_.Memo1, LB_RESETCONTENT, 0, 0);
    SendMessageW(ui_.Memo1, LB_SETHORIZONTALEXTENT, 0, 0);
    UpdateWindow(ui_.Memo1);
}

void TForm1::AppendResult(std::string_view line) {
    const std::wstring text = Wide(line);
    SendMessageW(ui_.Memo1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    WidenFor(ui_.Memo1, text);
}

void TForm1::SetResultsVisible(bool visible) {
    // Drawing is held back while a block's lines come in, and done once.
    if (visible == resultsRedraw_) {
        return;
    }
    resultsRedraw_ = visible;
    SendMessageW(ui_.Memo1, WM_SETREDRAW, visible ? TRUE : FALSE, 0);
    if (visible) {
        InvalidateRect(ui_.Memo1, nullptr, TRUE);
    }
}

std::vector<std::string> TForm1::Results() const {
    const auto count = static_cast<int>(SendMessageW(ui_.Memo1, LB_GETCOUNT, 0, 0));
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(ui_.Memo1, LB_GETTEXTLEN, i, 0);
        std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(ui_.Memo1, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        lines.push_back(Cp(text));
    }
    return lines;
}

void TForm1::SetStatusPanel(int index, std::string_view text) {
    statusBar_.SetText(index, Wide(text));
    UpdateWindow(ui_.StatusBar1);
}

CursorShape TForm1::SetCursor(CursorShape shape) {
    const CursorShape before = cursor_;
    cursor_ = shape;
    // Shown now; WM_SETCURSOR keeps it while the pointer moves.
    ::SetCursor(LoadCursorW(nullptr, shape == CursorShape::Default     ? IDC_ARROW
                                     : shape == CursorShape::HourGlass ? IDC_WAIT
                                                                       : IDC_APPSTARTING));
    return before;
}

void TForm1::SetTrayImage(int image) {
    tray_->SetImage(image);
}

void TForm1::ShowBalloon(std::string_view title, std::string_view text, int timeoutMs) {
    tray_->ShowBalloon(Wide(title), Wide(text), timeoutMs);
}

void TForm1::PaintIndicator(int slot, IndicatorState state) {
    if (ValidSlot(slot)) {
        SendMessageW(ui_.Indicators[slot], kSetState, static_cast<WPARAM>(IndicatorImage(state)),
                     0);
    }
}

void TForm1::ShowIndicator(int slot) {
    if (ValidSlot(slot)) {
        ::ShowWindow(ui_.Indicators[slot], SW_SHOW);
    }
}

void TForm1::ShowWatchdog(int ticks, bool ledLit) {
    SendMessageW(ui_.ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(std::clamp(ticks, 0, 100)), 0);
    SendMessageW(ui_.JvLED1, kSetState, ledLit ? 1 : 0, 0);
}

void TForm1::ShowWindow() {
    ::ShowWindow(window_, IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window_);
}

int TForm1::SelectedSlot() const {
    for (int slot = 0; slot < 4; ++slot) {
        if (SendMessageW(ui_.SelektItems[slot], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return slot;
        }
    }
    return 0;
}

void TForm1::SelectSlot(int slot) {
    if (!ValidSlot(slot)) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        SendMessageW(ui_.SelektItems[i], BM_SETCHECK, i == slot ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    UpdateWindow(ui_.Terminaly1);
}

void TForm1::ProcessPendingEvents() {
    // A confirmed close must not end the message loop from in here: the job
    // below runs to its end first.
    const form::OperatorForm::NestedLoop nested(*form_);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the loop itself
            break;
        }
        if (!PreTranslate(message) && !IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace kelmora::win32
