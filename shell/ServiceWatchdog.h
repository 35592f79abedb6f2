// The service manager's view of the life cycle (systemd's notify protocol,
// platform/ServiceNotify.h): "READY=1" once start-up is done; "STATUS=" with
// what an administrator needs (shell/ServiceStatus.h) whenever it changes,
// looked at every second; "WATCHDOG=1" at half the watchdog interval the
// service manager gives (WATCHDOG_USEC; without one, at the pace of Kelmora's
// own watchdog tick, every 10 s) while the watcher shows life, so that
// systemd restarts a program whose watcher or main loop has stalled;
// "STOPPING=1" as soon as a stop is asked for, and when the shutdown begins.
// Outside a notify service nothing is sent.
#pragma once

#include "shell/LifeCycle.h"

#include <cstdint>

namespace kelmora {

// Whether the watcher showed life since the last look: it ticked, or it
// waits for a job that the main thread is running.
bool WatcherAlive(std::int32_t ticksSinceLastTick, bool watcherBusy, bool jobInProgress);

// When "WATCHDOG=1" goes. The display tick (every second) asks; the watcher's
// heartbeat (the ticks Kelmora's own watchdog tick resets) is noticed at that
// tick and just before every reset, so a reset is never taken for a tick.
class WatchdogFeeder {
public:
    // `intervalMs`: the service manager's watchdog interval; `nowMs` on the
    // millisecond tick.
    WatchdogFeeder(std::uint32_t intervalMs, std::uint32_t nowMs);

    void Notice(std::int32_t watcherTicks, bool watcherBusy, bool jobInProgress);
    // At a display tick: whether to feed the watchdog now. Half the interval
    // after the last feed, less the display tick's own second so that the
    // next tick never comes too late, and only after a sign of life.
    bool Due(std::uint32_t nowMs);

private:
    std::uint32_t periodMs_;
    std::uint32_t fedMs_;
    std::int32_t lastTicks_ = 0;
    bool alive_ = false;
};

void ServiceStartupDone();
void ServiceShutdownBegins();

// The four as the life cycle's events; empty where no service manager
// listens.
LifeCycleEvents ServiceNotifications();

} // namespace kelmora
