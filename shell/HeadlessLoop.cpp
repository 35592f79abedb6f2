#include "shell/HeadlessLoop.h"

#include "engine/Engine.h"
#include "platform/Clock.h"

#include <chrono>

namespace kelmora {

namespace {

constexpr std::uint32_t kWatchdogMs = 10000;
constexpr std::uint32_t kDisplayMs = 1000;

// Whether the tick `due` has come, on the wrapping millisecond clock.
bool Due(std::uint32_t due, std::uint32_t now) {
    return static_cast<std::int32_t>(now - due) >= 0;
}

} // namespace

HeadlessLoop::HeadlessLoop(Engine& engine, std::function<void()> watchdogTick,
                           std::function<void()> displayTick)
    : engine_(engine), watchdogTick_(std::move(watchdogTick)), displayTick_(std::move(displayTick)),
      nextDisplay_(tick_ms() + kDisplayMs) {}

void HeadlessLoop::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

void HeadlessLoop::RequestStop() {
    // A job in progress ends after its current command.
    engine_.RequestStop();
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

void HeadlessLoop::EnableWatchdog(bool enabled) {
    std::lock_guard lock(mutex_);
    watchdogEnabled_ = enabled;
    nextWatchdog_ = tick_ms() + kWatchdogMs;
}

void HeadlessLoop::RunDueTimers() {
    const std::uint32_t now = tick_ms();
    bool watchdog = false;
    bool display = false;
    {
        std::lock_guard lock(mutex_);
        if (watchdogEnabled_ && Due(nextWatchdog_, now)) {
            watchdog = true;
            nextWatchdog_ = now + kWatchdogMs;
        }
        if (Due(nextDisplay_, now)) {
            display = true;
            nextDisplay_ = now + kDisplayMs;
        }
    }
    if (watchdog) {
        watchdogTick_();
    }
    if (display) {
        displayTick_();
    }
}

void HeadlessLoop::Run() {
    for (;;) {
        RunDueTimers();
        engine_.RunHandOvers();
        std::unique_lock lock(mutex_);
        if (stop_) {
            return;
        }
        const std::uint32_t now = tick_ms();
        std::uint32_t wait = nextDisplay_ - now;
        if (watchdogEnabled_) {
            wait = std::min(wait, nextWatchdog_ - now);
        }
        if (static_cast<std::int32_t>(wait) < 0) {
            wait = 0;
        }
        wake_.wait_for(lock, std::chrono::milliseconds(std::min<std::uint32_t>(wait, kDisplayMs)),
                       [this] { return woken_ || stop_; });
        woken_ = false;
    }
}

} // namespace kelmora
