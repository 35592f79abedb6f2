// The service manager's view of the life cycle (systemd's notify protocol,
// platform/ServiceNotify.h): "READY=1" once start-up is done; "WATCHDOG=1"
// at each of Kelmora's own watchdog ticks (every 10 s) that finds the watcher
// alive, so that systemd restarts a program whose watcher or main loop has
// stalled (WatchdogSec= in the unit, longer than two ticks); "STOPPING=1"
// as soon as a stop is asked for, and when the shutdown begins. Outside a
// notify service nothing is sent.
#pragma once

#include "shell/LifeCycle.h"

#include <cstdint>

namespace kelmora {

struct SharedFlags;

// Whether the watcher showed life since the last watchdog tick: it ticked,
// or it waits for a job that the main thread is running.
bool WatcherAlive(std::int32_t ticksSinceLastTick, bool watcherBusy, bool jobInProgress);

void ServiceStartupDone();
// Called at the watchdog tick, before the tick resets the heartbeat.
void ServiceWatchdogTick(const SharedFlags& flags, bool jobInProgress);
void ServiceShutdownBegins();

// The three as the life cycle's events.
LifeCycleEvents ServiceNotifications();

} // namespace kelmora
