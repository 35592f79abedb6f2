// TForm1 as the form logic's view: the controls' values by component name,
// the note, the questions, the window, the dialogs and the timers.
#include "shell/win32/TForm1.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>

#include <stdexcept>

namespace kelmora::win32 {

namespace {

// The event log as the page shows it: CR LF lines (a lone LF becomes one too).
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            out += L'\r';
        }
        out += text[i];
    }
    return out;
}

std::wstring WindowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The form's timers are the window's timers 1 to 5.
UINT_PTR TimerId(form::FormTimer timer) {
    return 1 + static_cast<UINT_PTR>(timer);
}

} // namespace

HWND TForm1::Control(std::string_view name) const {
    HWND control = layout_.Find(name);
    if (control == nullptr) {
        throw std::out_of_range("no control " + std::string(name));
    }
    return control;
}

std::string TForm1::Text(std::string_view control) const {
    return Cp(WindowText(Control(control)));
}

void TForm1::SetText(std::string_view control, std::string_view text) {
    HWND window = Control(control);
    if (window != ui_.Memo2) {
        SetWindowTextW(window, Wide(text).c_str());
        return;
    }
    SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(window, WithCrLf(Wide(text)).c_str());
    SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    SendMessageW(window, EM_SCROLLCARET, 0, 0);
}

bool TForm1::Checked(std::string_view control) const {
    return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::SetChecked(std::string_view control, bool checked) {
    SendMessageW(Control(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TForm1::Selected(std::string_view control) const {
    return static_cast<int>(SendMessageW(Control(control), CB_GETCURSEL, 0, 0));
}

void TForm1::Select(std::string_view control, int index) {
    HWND list = Control(control);
    const auto count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    SendMessageW(list, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
}

void TForm1::ShowNote(std::string_view text) {
    statusBar_.ShowNote(Wide(text), kNoteTimerId);
}

void TForm1::ShowBusyPointer(bool busy) {
    busyPointer_ = busy;
    if (cursor_ == CursorShape::Default) {
        ::SetCursor(LoadCursorW(nullptr, busy ? IDC_APPSTARTING : IDC_ARROW));
    }
}

MessageAnswer TForm1::Ask(bool owned, const MessageBox& box) {
    return options_.dialogs.message(owned ? window_ : nullptr, box);
}

bool TForm1::Shown() const {
    return IsWindowVisible(window_) != FALSE;
}

bool TForm1::OnScreen() const {
    return IsWindowVisible(window_) && !IsIconic(window_);
}

void TForm1::HideWindow() {
    ::ShowWindow(window_, SW_HIDE);
}

void TForm1::RequestClose() {
    SendMessageW(window_, WM_CLOSE, 0, 0);
}

void TForm1::ShowPage(int page) {
    activePage_ = page;
    TabCtrl_SetCurSel(ui_.PageControl1, page);
    for (int i = 0; i < 5; ++i) {
        ::ShowWindow(ui_.TabSheets[i], i == page ? SW_SHOW : SW_HIDE);
    }
}

void TForm1::ShowEventLogTab(bool shown) {
    SetTabs(shown);
}

void TForm1::ShowSendAsDefault() {
    SendMessageW(ui_.BitBtn4, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

std::optional<std::string> TForm1::ChooseCommandFile() {
    return options_.dialogs.openCommandFile(window_);
}

std::optional<std::string> TForm1::ChooseDirectory(std::string_view start) {
    if (const auto chosen = options_.dialogs.chooseDirectory(window_, Wide(start))) {
        return Cp(*chosen);
    }
    return std::nullopt;
}

void TForm1::RunTimer(form::FormTimer timer, bool on) {
    if (on) {
        SetTimer(window_, TimerId(timer),
                 static_cast<UINT>(form::kFormTimerMs[static_cast<int>(timer)]), nullptr);
    } else {
        KillTimer(window_, TimerId(timer));
    }
}

void TForm1::WakeForHandOver() {
    // From the watcher's thread: the hand-over runs on this window's thread.
    PostMessageW(window_, kHandOverMessage, 0, 0);
}

void TForm1::Quit() {
    options_.quit();
}

} // namespace kelmora::win32
