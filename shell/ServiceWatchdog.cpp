#include "shell/ServiceWatchdog.h"

#include "engine/Engine.h"
#include "engine/SharedFlags.h"
#include "platform/ServiceNotify.h"

namespace kelmora {

bool WatcherAlive(std::int32_t ticksSinceLastTick, bool watcherBusy, bool jobInProgress) {
    return ticksSinceLastTick > 0 || (watcherBusy && jobInProgress);
}

void ServiceStartupDone() {
    notify_service("READY=1\nSTATUS=Start programu");
}

void ServiceWatchdogTick(const SharedFlags& flags, bool jobInProgress) {
    if (WatcherAlive(flags.WatchdogTicks, flags.WatcherBusy, jobInProgress)) {
        notify_service("WATCHDOG=1");
    }
}

void ServiceShutdownBegins() {
    notify_service("STOPPING=1\nSTATUS=Stop programu");
}

LifeCycleEvents ServiceNotifications() {
    LifeCycleEvents events;
    events.started = [](Engine&) { ServiceStartupDone(); };
    events.watchdogTick = [](Engine& engine) {
        ServiceWatchdogTick(engine.Flags(), engine.Busy());
    };
    // Told as soon as the stop is asked for (a job may take a few seconds to
    // end), and again when the shutdown begins, for a stop from the window.
    events.stopRequested = [](Engine&) { ServiceShutdownBegins(); };
    events.stopping = [](Engine&) { ServiceShutdownBegins(); };
    return events;
}

} // namespace kelmora
