#include "engine/Zmena.h"

#include "platform/Clock.h"
#include "platform/DirectoryWatch.h"
#include "platform/Files.h"
#include "platform/Priority.h"

#include <algorithm>

namespace kelmora {

namespace {

// Whether the moment `at` has come, on the wrapping millisecond clock.
bool Due(std::uint32_t at, std::uint32_t now) {
    return static_cast<std::int32_t>(now - at) >= 0;
}

std::uint32_t Until(std::uint32_t at, std::uint32_t now) {
    return Due(at, now) ? 0 : at - now;
}

} // namespace

bool RequestFileExists(const std::string& path) {
    return file_exists(path);
}

THlidac::THlidac(std::string requestPath, SharedFlags& flags, HandOver& handOver, WatcherWork work,
                 WatcherTiming timing)
    : requestPath_(std::move(requestPath)), flags_(flags), handOver_(handOver),
      work_(std::move(work)), timing_(timing),
      watch_(std::make_unique<DirectoryWatch>(requestPath_)), thread_([this] { Execute(); }) {
    if (!work_.writersOf) {
        work_.writersOf = [](const std::string& path) { return file_writers(path); };
    }
}

THlidac::~THlidac() {
    Terminate();
    Join();
}

void THlidac::Resume() {
    {
        std::lock_guard lock(mutex_);
        suspended_ = false;
    }
    wake_.notify_all();
}

void THlidac::Suspend() {
    {
        std::lock_guard lock(mutex_);
        if (ended_) {
            return;
        }
        suspended_ = true;
    }
    watch_->Interrupt();
}

bool THlidac::Suspended() const {
    std::lock_guard lock(mutex_);
    return suspended_;
}

void THlidac::Terminate() {
    {
        std::lock_guard lock(mutex_);
        terminate_ = true;
    }
    wake_.notify_all();
    watch_->Interrupt();
}

void THlidac::LookNow() {
    watch_->Interrupt();
}

int THlidac::ExitCode() const {
    std::lock_guard lock(mutex_);
    return ended_ ? 0 : kStillActive;
}

void THlidac::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool THlidac::WaitWhileSuspended() {
    std::unique_lock lock(mutex_);
    if (suspended_ && !terminate_) {
        wake_.wait(lock, [this] { return !suspended_ || terminate_; });
        // The time spent suspended is no heartbeat.
        lastBeat_ = tick_ms();
    }
    return !terminate_;
}

void THlidac::Beat(std::uint32_t now) {
    const std::uint32_t ticks = (now - lastBeat_) / std::max<std::uint32_t>(timing_.tickMs, 1);
    flags_.WatchdogTicks += static_cast<std::int32_t>(ticks);
    lastBeat_ += ticks * timing_.tickMs;
}

bool THlidac::RequestFileReady(std::uint32_t now) {
    if (!RequestFileExists(requestPath_)) {
        observed_.reset();
        return false;
    }
    std::uint32_t unchangedMs = 0;
    switch (work_.writersOf(requestPath_)) {
    case Writers::None:
        // Closed; a script that writes a line at a time opens it again at once.
        unchangedMs = timing_.quietMs;
        break;
    case Writers::Some:
        // Its writer's close wakes the watcher (or the next look finds it).
        observed_.reset();
        return false;
    case Writers::Unknown:
        // Nobody can say whether it is still being written.
        unchangedMs = timing_.settleMs;
        break;
    }
    if (unchangedMs == 0) {
        return true;
    }
    const auto stamp = file_stamp(requestPath_);
    if (!stamp) {
        observed_.reset();
        return false;
    }
    if (!observed_ || observed_->stamp != *stamp || observed_->unchangedMs != unchangedMs) {
        observed_ = Observation{*stamp, now, unchangedMs};
        return false;
    }
    return elapsed_ms(observed_->since) >= unchangedMs;
}

std::uint32_t THlidac::NextDue(std::uint32_t now) const {
    if (lookPending_) {
        return 0;
    }
    std::uint32_t wait = std::min(Until(nextLook_, now), Until(nextRetest_, now));
    if (observed_) {
        wait = std::min(wait, Until(observed_->since + observed_->unchangedMs, now));
    }
    // The heartbeat goes on at least once a look.
    return std::min(wait, timing_.lookMs);
}

void THlidac::Execute() {
    lower_thread_priority();
    const std::uint32_t start = tick_ms();
    lastBeat_ = start;
    nextLook_ = start;
    nextRetest_ = start + timing_.retestMs;
    while (WaitWhileSuspended()) {
        std::uint32_t now = tick_ms();
        Beat(now);
        flags_.WatcherRunning = true;
        if (flags_.Stopping) {
            break;
        }
        try {
            const bool settleDue = observed_ && Due(observed_->since + observed_->unchangedMs, now);
            if (!flags_.ManualRun && (lookPending_ || Due(nextLook_, now) || settleDue)) {
                lookPending_ = false;
                nextLook_ = now + timing_.lookMs;
                flags_.WatcherBusy = true;
                if (RequestFileReady(now)) {
                    // A request written meanwhile sends its notice, which
                    // waits; a file the job had to leave waits for the next
                    // look.
                    observed_.reset();
                    handOver_.Call([this] { work_.processRequestFile(requestPath_); });
                    lastBeat_ = tick_ms(); // the job's time is no heartbeat
                }
            } else if (!flags_.ManualRun && Due(nextRetest_, now)) {
                nextRetest_ = now + timing_.retestMs;
                flags_.WatcherBusy = true;
                handOver_.Call([this] { work_.retestTerminals(); });
                lastBeat_ = tick_ms();
            }
        } catch (...) {
            // An error abandons the rest of this round; the loop goes on.
        }
        flags_.WatcherBusy = false;
        // While an operator's job runs, only the heartbeat is due (the job's
        // end calls LookNow).
        const std::uint32_t wait = flags_.ManualRun ? timing_.lookMs : NextDue(tick_ms());
        switch (watch_->Wait(wait)) {
        case DirectoryWatch::Woken::Notice:
        case DirectoryWatch::Woken::Interrupted:
            lookPending_ = true;
            break;
        case DirectoryWatch::Woken::TimeUp:
            break;
        }
    }
    flags_.WatcherRunning = false;
    std::lock_guard lock(mutex_);
    ended_ = true;
}

} // namespace kelmora
