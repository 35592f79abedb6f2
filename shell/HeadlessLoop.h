// The headless event loop: the main thread sleeps until the watcher hands
// work over, a timer is due or a stop is requested. The two timers of the
// window live here: the watchdog (Timer1, every 10 s, from the watcher's
// start; it runs the life cycle's watchdog tick) and the display (Timer2,
// every second; the life cycle's display tick).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kelmora {

class Engine;

class HeadlessLoop {
public:
    HeadlessLoop(Engine& engine, std::function<void()> watchdogTick,
                 std::function<void()> displayTick);

    // Thread-safe: the watcher queued a hand-over.
    void Wake();
    // Thread-safe: end the loop (the system's stop request); a job in
    // progress ends after its current command first.
    void RequestStop();

    void EnableWatchdog(bool enabled);

    // Runs the timers that are due. Also called from inside a job, while the
    // serial driver waits.
    void RunDueTimers();

    // Runs until RequestStop; hand-overs and timers on this thread.
    void Run();

private:
    Engine& engine_;
    std::function<void()> watchdogTick_;
    std::function<void()> displayTick_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    bool stop_ = false;
    bool watchdogEnabled_ = false;
    std::uint32_t nextWatchdog_ = 0;
    std::uint32_t nextDisplay_ = 0;
};

} // namespace kelmora
