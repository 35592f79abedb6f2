// The flags the main thread and the watcher share. Each is written by one
// side only (WatchdogTicks by both, and it only feeds displays), so there are
// no locks; atomics keep every read well-defined.
#pragma once

#include <atomic>
#include <cstdint>

namespace kelmora {

struct SharedFlags {
    std::atomic<bool> Stopping{false}; // shutdown in progress (main thread)
    // The system asked the program to stop (the shell's stop-signal thread):
    // a job ends after its current command, and no new one starts.
    std::atomic<bool> StopRequested{false};
    std::atomic<bool> ManualRun{false};         // an operator's job is running (main thread)
    std::atomic<bool> WatcherBusy{false};       // the watcher is in a tick's active phase (watcher)
    std::atomic<bool> WatcherRunning{false};    // the watcher is inside its loop (watcher)
    std::atomic<std::int32_t> WatchdogTicks{0}; // the watcher's heartbeat
};

} // namespace kelmora
