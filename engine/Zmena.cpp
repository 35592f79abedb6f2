#include "engine/Zmena.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Priority.h"

namespace kelmora {

namespace {

std::int8_t Wrapped(std::int8_t ticks) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(ticks) + 1);
}

} // namespace

bool RequestFileExists(const std::string& path) {
    return file_exists(path);
}

THlidac::THlidac(std::string requestPath, SharedFlags& flags, HandOver& handOver, WatcherWork work,
                 WatcherTiming timing)
    : requestPath_(std::move(requestPath)), flags_(flags), handOver_(handOver),
      work_(std::move(work)), timing_(timing), thread_([this] { Execute(); }) {}

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
    std::lock_guard lock(mutex_);
    if (!ended_) {
        suspended_ = true;
    }
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
    wake_.wait(lock, [this] { return !suspended_ || terminate_; });
    return !terminate_;
}

bool THlidac::RequestFileReady() {
    recheckPending_ = false;
    if (!RequestFileExists(requestPath_)) {
        observed_.reset();
        return false;
    }
    if (timing_.settleMs == 0) {
        return true;
    }
    // A file still being written would lose its last lines if taken now.
    const auto stamp = file_stamp(requestPath_);
    if (!stamp) {
        return false;
    }
    if (!observed_ || observed_->stamp != *stamp) {
        observed_ = Observation{*stamp, tick_ms()};
        recheckPending_ = true;
        return false;
    }
    if (elapsed_ms(observed_->since) < timing_.settleMs) {
        recheckPending_ = true;
        return false;
    }
    return true;
}

bool THlidac::RecheckDue() const {
    return recheckPending_ && elapsed_ms(observed_->since) >= timing_.settleMs;
}

void THlidac::Execute() {
    lower_thread_priority();
    while (WaitWhileSuspended()) {
        PollTicks = Wrapped(PollTicks);
        RetestTicks = Wrapped(RetestTicks);
        ++flags_.WatchdogTicks;
        flags_.WatcherRunning = true;
        if (flags_.Stopping) {
            break;
        }
        try {
            if (!flags_.ManualRun && (PollTicks > 10 || RecheckDue())) {
                PollTicks = 0;
                flags_.WatcherBusy = true;
                if (RequestFileReady()) {
                    handOver_.Call([this] { work_.processRequestFile(requestPath_); });
                }
            } else if (!flags_.ManualRun && RetestTicks > 100) {
                RetestTicks = 0;
                flags_.WatcherBusy = true;
                handOver_.Call([this] { work_.retestTerminals(); });
            }
            sleep_ms(timing_.tickMs);
            flags_.WatcherBusy = false;
        } catch (...) {
            // An error abandons the rest of the tick; the loop goes on.
        }
    }
    flags_.WatcherRunning = false;
    std::lock_guard lock(mutex_);
    ended_ = true;
}

} // namespace kelmora
