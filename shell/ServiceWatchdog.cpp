#include "shell/ServiceWatchdog.h"

#include "engine/Engine.h"
#include "engine/SharedFlags.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/ServiceNotify.h"
#include "shell/ServiceStatus.h"

#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace kelmora {

namespace {

// Kelmora's own watchdog tick and display tick.
constexpr std::uint32_t kWatchdogTickMs = 10000;
constexpr std::uint32_t kDisplayTickMs = 1000;

// What one run tells its service manager, kept between the events.
struct ServiceSession {
    std::optional<WatchdogFeeder> feeder;
    std::string status; // the last STATUS= sent
};

void NoticeWatcher(WatchdogFeeder& feeder, Engine& engine) {
    const SharedFlags& flags = engine.Flags();
    feeder.Notice(flags.WatchdogTicks, flags.WatcherBusy, engine.Busy());
}

void SendStatus(ServiceSession& session, const Engine& engine) {
    std::string status = ServiceStatusText(engine);
    if (status != session.status && notify_service("STATUS=" + status)) {
        session.status = std::move(status);
    }
}

} // namespace

bool WatcherAlive(std::int32_t ticksSinceLastTick, bool watcherBusy, bool jobInProgress) {
    return ticksSinceLastTick > 0 || (watcherBusy && jobInProgress);
}

WatchdogFeeder::WatchdogFeeder(std::uint32_t intervalMs, std::uint32_t nowMs)
    : periodMs_(intervalMs / 2), fedMs_(nowMs) {}

void WatchdogFeeder::Notice(std::int32_t watcherTicks, bool watcherBusy, bool jobInProgress) {
    // Fewer ticks than at the last look: the watchdog tick reset them since.
    const std::int32_t since = watcherTicks < lastTicks_ ? watcherTicks : watcherTicks - lastTicks_;
    lastTicks_ = watcherTicks;
    alive_ = alive_ || WatcherAlive(since, watcherBusy, jobInProgress);
}

bool WatchdogFeeder::Due(std::uint32_t nowMs) {
    if (!alive_ || nowMs - fedMs_ + kDisplayTickMs < periodMs_) {
        return false;
    }
    fedMs_ = nowMs;
    alive_ = false;
    return true;
}

void ServiceStartupDone() {
    notify_service("READY=1\nSTATUS=Start programu");
}

void ServiceShutdownBegins() {
    notify_service("STOPPING=1\nSTATUS=Stop programu");
}

LifeCycleEvents ServiceNotifications() {
    LifeCycleEvents events;
    if (!service_manager_listens()) {
        return events;
    }
    const std::uint32_t interval = service_watchdog_interval_ms().value_or(2 * kWatchdogTickMs);
    auto session = std::make_shared<ServiceSession>();
    events.started = [session, interval](Engine& engine) {
        ServiceStartupDone();
        session->feeder.emplace(interval, tick_ms());
        // The journal learns the fix beside the event log's line.
        if (const std::string hint = ServiceDataPathHint(engine); !hint.empty()) {
            std::cerr << "kelmora: " << hint << '\n' << std::flush;
        }
    };
    events.watchdogTick = [session](Engine& engine) {
        if (session->feeder) {
            NoticeWatcher(*session->feeder, engine);
        }
    };
    events.displayTick = [session](Engine& engine) {
        if (!session->feeder) {
            return; // before the start-up is done
        }
        NoticeWatcher(*session->feeder, engine);
        if (session->feeder->Due(tick_ms())) {
            notify_service("WATCHDOG=1");
        }
        SendStatus(*session, engine);
    };
    // Told as soon as the stop is asked for (a job may take a few seconds to
    // end), and again when the shutdown begins, for a stop from the window.
    events.stopRequested = [](Engine&) { ServiceShutdownBegins(); };
    events.stopping = [](Engine&) { ServiceShutdownBegins(); };
    return events;
}

} // namespace kelmora
