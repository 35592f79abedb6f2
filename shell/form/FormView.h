// What the form logic (OperatorForm) needs from a toolkit's window: the
// controls' values by component name (shell/form/ControlTable.h), a note, a
// question, the window and its pages, the dialogs and the timers. The Qt
// window and the Win32 window implement it; everything else the operator's
// controls do is written once, in OperatorForm. Texts are Windows-1250.
#pragma once

#include "engine/Console.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelmora::form {

// The form's timers: Timer1 (the watchdog, 10 s), Timer2 (the display, 1 s),
// and its own: a hand-over held back by a handler runs shortly; a confirmed
// close waits for the end of the job; the busy pointer of an ignored press
// waits until the program is free.
enum class FormTimer { Timer1, Timer2, HandOverRetry, Quit, BusyWatch };
inline constexpr int kFormTimerCount = 5;
inline constexpr int kFormTimerMs[kFormTimerCount] = {10000, 1000, 50, 50, 100};

class FormView {
public:
    virtual ~FormView() = default;

    // A control's value: the text of a field, a label or the event log (its
    // lines as CR LF; set, it shows its end), whether a check box is checked,
    // a list's selected entry (-1: none; one outside the list selects none).
    virtual std::string Text(std::string_view control) const = 0;
    virtual void SetText(std::string_view control, std::string_view text) = 0;
    virtual bool Checked(std::string_view control) const = 0;
    virtual void SetChecked(std::string_view control, bool checked) = 0;
    virtual int Selected(std::string_view control) const = 0;
    virtual void Select(std::string_view control, int index) = 0;

    // A note over the status bar for a few seconds.
    virtual void ShowNote(std::string_view text) = 0;
    // The pointer over the window shows the program busy, or not any more.
    virtual void ShowBusyPointer(bool busy) = 0;
    // A modal message box, owned by the window or without owner.
    virtual MessageAnswer Ask(bool owned, const MessageBox& box) = 0;

    // The window: shown (perhaps minimized), on the screen (shown and not
    // minimized), hidden, closed as the title bar's close does (which asks
    // OperatorForm::FormClose).
    virtual bool Shown() const = 0;
    virtual bool OnScreen() const = 0;
    virtual void HideWindow() = 0;
    virtual void RequestClose() = 0;
    // The page on show (0..4), and the event-log page's tab.
    virtual int ActivePage() const = 0;
    virtual void ShowPage(int page) = 0;
    virtual void ShowEventLogTab(bool shown) = 0;
    // BitBtn4 ("Odeslat příkaz") drawn as the default button.
    virtual void ShowSendAsDefault() = 0;
    // Whether the desktop has a notification area now.
    virtual bool TrayAvailable() const = 0;

    // OpenDialog1: the chosen command file, or none.
    virtual std::optional<std::string> ChooseCommandFile() = 0;
    // The directory selection of Path_data opened at `start`: the chosen
    // directory (created if the operator typed a new one), or none.
    virtual std::optional<std::string> ChooseDirectory(std::string_view start) = 0;

    // Starts (every kFormTimerMs, until stopped) or stops a timer; when it
    // runs out the toolkit calls OperatorForm::OnTimer.
    virtual void RunTimer(FormTimer timer, bool on) = 0;
    // From the watcher's thread: call OperatorForm::RunHandOvers on the
    // window's thread soon.
    virtual void WakeForHandOver() = 0;
    // Ends the main loop (a confirmed close, no job running).
    virtual void Quit() = 0;
};

} // namespace kelmora::form
