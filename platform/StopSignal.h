// The system's request to stop the program: SIGINT and SIGTERM on POSIX,
// Ctrl+C, Ctrl+Break and the console's close on Windows.
#pragma once

#include <functional>

namespace kelmora {

// Calls `callback` (on a thread of its own) each time a stop is requested.
// On POSIX it must be called before any other thread is started: the signals
// are blocked in the calling thread, and threads started later inherit that.
void on_stop_signal(std::function<void()> callback);

} // namespace kelmora
