// StatusIcon1, the notification-area icon, with its menu PopupMenu1, whose
// entries are the control table's: "Zobrazit program" (the default entry,
// bold), "Schovat program", a separator and "Konec"; an entry is a WM_COMMAND
// to the window with its ControlId. A double click shows the window, a right
// click opens the menu. Its balloons always carry the information icon; a
// job shows one for every line, so the desktop gets at most one per balloon
// time, each with the latest text. Every call to the notification area goes
// through one replaceable function (tests record the calls; Wine's null
// display driver has no notification area at all).
#pragma once

#include "shell/win32/WinApi.h"

#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>

namespace kelmora::win32 {

// Shell_NotifyIconW, or what stands in for it.
using NotifyIconCall = std::function<bool(DWORD message, const NOTIFYICONDATAW& data)>;
NotifyIconCall SystemNotifyIcon();

class TrayIcon {
public:
    // `callbackMessage` comes to `window` for the icon's mouse events;
    // `timerId` is the window's timer that spaces the balloons.
    TrayIcon(HWND window, UINT callbackMessage, UINT_PTR timerId, NotifyIconCall notify);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Shows the icon; false when there is no notification area.
    bool Add();
    // After Explorer has started again (the "TaskbarCreated" message).
    void AddAgain();
    void Remove();
    bool Shown() const { return shown_; }

    // Image 0 idle, 1 while a job runs.
    void SetImage(int image);
    int Image() const { return image_; }
    // The icon at the window's DPI again.
    void Refresh();

    void ShowBalloon(const std::wstring& title, const std::wstring& text, int timeoutMs);
    // The balloon timer has run out.
    void OnTimer();
    int BalloonsShown() const { return balloons_; }

    // The icon's mouse events (the callback message's lParam, version 4).
    // Returns true for a double click, which shows the window.
    bool OnCallback(LPARAM event, WPARAM position);
    void ShowMenu(POINT screen);
    HMENU Menu() const { return menu_; }

private:
    struct Balloon {
        std::wstring title;
        std::wstring text;
        int timeoutMs = 0;
    };
    NOTIFYICONDATAW Data(UINT flags) const;
    void ShowNow(const Balloon& balloon);

    HWND window_;
    UINT callbackMessage_;
    UINT_PTR timerId_;
    NotifyIconCall notify_;
    HMENU menu_;
    bool shown_ = false;
    bool spacing_ = false;
    int image_ = 0;
    int balloons_ = 0;
    std::optional<Balloon> waiting_;
};

} // namespace kelmora::win32
