#include "shell/win32/TrayIcon.h"

#include "shell/ProgramIdentity.h"
#include "shell/form/ControlTable.h"
#include "shell/win32/Controls.h"
#include "shell/win32/Metrics.h"
#include "shell/win32/Pictures.h"
#include "shell/win32/ResourceIds.h"
#include "shell/win32/WinText.h"

#include <windowsx.h>

#include <algorithm>

namespace kelmora::win32 {

namespace {

constexpr UINT kIconId = 1;
constexpr int kMinimumBalloonSpacingMs = 200;
constexpr UINT kRealtime = 0x40; // NIF_REALTIME: dropped when it cannot show at once

template <std::size_t N>
void Copy(wchar_t (&target)[N], const std::wstring& text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), n, target);
    target[n] = L'\0';
}

} // namespace

NotifyIconCall SystemNotifyIcon() {
    return [](DWORD message, const NOTIFYICONDATAW& data) {
        auto copy = data;
        return Shell_NotifyIconW(message, &copy) != FALSE;
    };
}

TrayIcon::TrayIcon(HWND window, UINT callbackMessage, UINT_PTR timerId, NotifyIconCall notify)
    : window_(window), callbackMessage_(callbackMessage), timerId_(timerId),
      notify_(std::move(notify)), menu_(CreatePopupMenu()) {
    // The entries of the control table; a bold one is the default.
    for (const form::ControlRow& row : form::ControlTable()) {
        const auto id = static_cast<UINT_PTR>(ControlId(row.name));
        if (row.kind == form::Kind::Separator) {
            AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        } else if (row.kind == form::Kind::Menu) {
            AppendMenuW(menu_, MF_STRING, id, Wide(row.caption).c_str());
            if (row.bold) {
                SetMenuDefaultItem(menu_, static_cast<UINT>(id), FALSE);
            }
        }
    }
}

TrayIcon::~TrayIcon() {
    Remove();
    DestroyMenu(menu_);
}

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window_;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = callbackMessage_;
    const int size = MetricForDpi(SM_CXSMICON, DpiOf(window_));
    data.hIcon = Picture(IDI_TRAY0 + image_, size);
    Copy(data.szTip, Wide(kApplicationTitle));
    return data;
}

bool TrayIcon::Add() {
    shown_ = notify_(NIM_ADD, Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    if (shown_) {
        NOTIFYICONDATAW version = Data(0);
        version.uVersion = NOTIFYICON_VERSION_4;
        notify_(NIM_SETVERSION, version);
    }
    return shown_;
}

void TrayIcon::AddAgain() {
    if (shown_) {
        Add();
    }
}

void TrayIcon::Remove() {
    KillTimer(window_, timerId_);
    spacing_ = false;
    waiting_.reset();
    if (shown_) {
        notify_(NIM_DELETE, Data(0));
        shown_ = false;
    }
}

void TrayIcon::SetImage(int image) {
    if (image != image_) {
        image_ = image;
        Refresh();
    }
}

void TrayIcon::Refresh() {
    if (shown_) {
        notify_(NIM_MODIFY, Data(NIF_ICON));
    }
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, int timeoutMs) {
    const Balloon balloon{title, text, timeoutMs};
    if (spacing_) {
        waiting_ = balloon; // shown when the one on screen has had its time
    } else {
        ShowNow(balloon);
    }
}

void TrayIcon::ShowNow(const Balloon& balloon) {
    if (!shown_) {
        return;
    }
    NOTIFYICONDATAW data = Data(NIF_INFO | kRealtime);
    Copy(data.szInfoTitle, balloon.title);
    Copy(data.szInfo, balloon.text);
    data.uTimeout = static_cast<UINT>(balloon.timeoutMs);
    data.dwInfoFlags = NIIF_INFO;
    if (notify_(NIM_MODIFY, data)) {
        ++balloons_;
    }
    spacing_ = true;
    SetTimer(window_, timerId_, std::max(balloon.timeoutMs, kMinimumBalloonSpacingMs), nullptr);
}

void TrayIcon::OnTimer() {
    KillTimer(window_, timerId_);
    spacing_ = false;
    if (waiting_) {
        const Balloon next = *waiting_;
        waiting_.reset();
        ShowNow(next);
    }
}

bool TrayIcon::OnCallback(LPARAM event, WPARAM position) {
    switch (LOWORD(event)) {
    case WM_LBUTTONDBLCLK:
        return true;
    case WM_CONTEXTMENU:
        ShowMenu(POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)});
        return false;
    default:
        return false;
    }
}

void TrayIcon::ShowMenu(POINT screen) {
    // The menu closes when the user clicks elsewhere only if the window is in
    // front.
    SetForegroundWindow(window_);
    TrackPopupMenu(menu_, TPM_RIGHTBUTTON, screen.x, screen.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
}

} // namespace kelmora::win32
