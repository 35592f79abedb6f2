// The system's request to stop the program: SIGINT, SIGTERM and SIGHUP (the
// terminal it was started from went away) on POSIX, Ctrl+C, Ctrl+Break, the
// console's close, logoff and shutdown on Windows.
#pragma once

#include <functional>

namespace kelmora {

// Calls `callback` (on a thread of its own) each time a stop is requested.
// On POSIX it must be called before any other thread is started: the signals
// are blocked in the calling thread, and threads started later inherit that.
void on_stop_signal(std::function<void()> callback);

// Tells the system the program has finished stopping. Windows ends a process
// as soon as its handler of a console close, logoff or shutdown returns, so
// that handler waits for this (a few seconds at most) to let the shutdown
// sequence run to its end. Nothing to do on POSIX.
void stop_signal_done();

} // namespace kelmora
