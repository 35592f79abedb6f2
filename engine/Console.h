// The operator console: the only way the core reaches a person. Four
// implementations: the Qt window (shell/window/TForm1), the Win32 window
// (shell/win32/TForm1), the headless console (shell/HeadlessConsole) and
// the tests' recording fake (tests/support/RecordingConsole.h). Every call
// comes on the main thread.
#pragma once

#include "terminal/TobrinHost.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// What a slot's indicator shows: green MASTER, cyan SLAVE, red absent,
// white when the slot's port did not open.
enum class IndicatorState { Master, Slave, NotConnected, PortNotOpen };

// The state in the words the event log and a text console use.
constexpr std::string_view IndicatorWord(IndicatorState state) {
    switch (state) {
    case IndicatorState::Master:
        return "MASTER";
    case IndicatorState::Slave:
        return "SLAVE";
    case IndicatorState::NotConnected:
        return "NEPRIPOJEN";
    case IndicatorState::PortNotOpen:
        break;
    }
    return "COM port neotevren";
}

// The window's pages, in their order.
enum class Page { Control, TerminalConfig, Service, About, EventLog };

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageBox {
    std::string_view text;
    std::string_view caption; // empty: the application title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

class Console {
public:
    virtual ~Console() = default;

    // The result list "Memo1": the answer lines of the current job.
    virtual void ClearResults() = 0;
    virtual void AppendResult(std::string_view line) = 0;
    // Hidden while a block's lines are added, shown once at the end.
    virtual void SetResultsVisible(bool visible) = 0;
    virtual std::vector<std::string> Results() const = 0;

    // Status-bar panels by index: 1 the status pair, 3 the bytes of the last
    // answer, 5 the attempt, 7 the receive attempt, 9 the job's progress.
    virtual void SetStatusPanel(int index, std::string_view text) = 0;

    // Shows `shape` and returns the shape that was showing before.
    virtual CursorShape SetCursor(CursorShape shape) = 0;

    // The notification-area icon: image 0 idle, image 1 while a job runs;
    // and its balloons (always with the information icon).
    virtual void SetTrayImage(int image) = 0;
    virtual void ShowBalloon(std::string_view title, std::string_view text, int timeoutMs) = 0;

    // A slot's indicator (slot 0..3): painted, and shown once classified.
    virtual void PaintIndicator(int slot, IndicatorState state) = 0;
    virtual void ShowIndicator(int slot) = 0;

    // The watcher's display: the progress bar at the tick counter (full from
    // 100 on) and the LED, lit while the watcher is not busy.
    virtual void ShowWatchdog(int ticks, bool ledLit) = 0;

    virtual void SetActivePage(Page page) = 0;
    virtual void ShowWindow() = 0;

    // The selector "Terminál": the slot (0..3) every job runs against.
    virtual int SelectedSlot() const = 0;
    virtual void SelectSlot(int slot) = 0;

    // The live settings, read at the moment of use: attempts per command
    // (1..9), end the job when a command fails, raise the priority.
    virtual int Attempts() const = 0;
    virtual bool EndJobOnFailure() const = 0;
    virtual bool HighPriority() const = 0;

    // A modal message box; returns the operator's answer.
    virtual MessageAnswer ShowMessage(const MessageBox& box) = 0;

    // Runs the shell's pending events (timers, clicks) on the calling thread.
    virtual void ProcessPendingEvents() = 0;
};

} // namespace kelmora
