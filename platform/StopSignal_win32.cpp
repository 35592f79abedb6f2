#include "platform/StopSignal.h"

#include <windows.h>

namespace kelmora {

namespace {

std::function<void()>& StopCallback() {
    static std::function<void()> callback;
    return callback;
}

BOOL WINAPI OnConsoleEvent(DWORD) {
    if (StopCallback()) {
        StopCallback()();
    }
    return TRUE;
}

} // namespace

void on_stop_signal(std::function<void()> callback) {
    StopCallback() = std::move(callback);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

} // namespace kelmora
