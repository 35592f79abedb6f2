#include "platform/StopSignal.h"

#include <windows.h>

namespace kelmora {

namespace {

// Windows grants about five seconds after a console close before it ends
// the process by force.
constexpr DWORD kShutdownGraceMs = 4500;

std::function<void()>& StopCallback() {
    static std::function<void()> callback;
    return callback;
}

HANDLE StoppedEvent() {
    static const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI OnConsoleEvent(DWORD type) {
    if (StopCallback()) {
        StopCallback()();
    }
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
        // Returning ends the process at once: wait for the shutdown sequence.
        WaitForSingleObject(StoppedEvent(), kShutdownGraceMs);
    }
    return TRUE;
}

} // namespace

void on_stop_signal(std::function<void()> callback) {
    StopCallback() = std::move(callback);
    StoppedEvent();
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void stop_signal_done() {
    SetEvent(StoppedEvent());
}

} // namespace kelmora
