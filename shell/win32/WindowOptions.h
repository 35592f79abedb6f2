// What the Win32 window takes from outside: the dialogs it shows (tests
// replace them, so that no test ever waits for a person), the notification
// area, the end of the main loop and who observes the life cycle. An empty
// member means the real thing.
#pragma once

#include "engine/Console.h"
#include "shell/LifeCycle.h"
#include "shell/win32/TrayIcon.h"
#include "shell/win32/WinApi.h"

#include <functional>
#include <optional>
#include <string>

namespace kelmora::win32 {

// Shows a message box owned by `owner` (null: a box without owner window)
// and returns the operator's answer. Texts are Windows-1250.
using MessageAnswerer = std::function<MessageAnswer(HWND owner, const MessageBox& box)>;

struct WindowDialogs {
    MessageAnswerer message;
    // OpenDialog1: the chosen command file as a Windows-1250 path, or none.
    std::function<std::optional<std::string>(HWND owner)> openCommandFile;
    // The directory selection of Path_data, opened at `start`: the chosen
    // directory (created if the operator typed a new one), or none.
    std::function<std::optional<std::wstring>(HWND owner, const std::wstring& start)>
        chooseDirectory;
};

struct WindowOptions {
    WindowDialogs dialogs;
    // Shell_NotifyIconW by default.
    NotifyIconCall notifyIcon;
    // Ends the main loop once a close has been confirmed and no job runs; by
    // default PostQuitMessage(0).
    std::function<void()> quit;
    LifeCycleEvents lifeCycle;
};

} // namespace kelmora::win32
