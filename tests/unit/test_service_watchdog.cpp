// When the service manager's watchdog is fed: at half its interval, asked at
// every display tick (every second), while the watcher shows life. The
// ticks run on a made-up clock.
#include "shell/ServiceWatchdog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

using namespace kelmora;

namespace {

// The display ticks of a minute from `start`: `heartbeat` gives the watcher's
// ticks and whether it waits for a job the main thread runs; every tenth
// second Kelmora's own watchdog tick resets the ticks after a look at them.
// The times (from `start`) at which the watchdog was fed.
std::vector<std::uint32_t>
FedDuringAMinute(std::uint32_t intervalMs,
                 const std::function<std::int32_t(std::uint32_t second)>& heartbeat,
                 bool busyWithAJob = false, std::uint32_t start = 0) {
    WatchdogFeeder feeder(intervalMs, start);
    std::vector<std::uint32_t> fed;
    std::int32_t ticks = 0;
    for (std::uint32_t second = 1; second <= 60; ++second) {
        ticks += heartbeat(second);
        if (second % 10 == 0) {
            feeder.Notice(ticks, busyWithAJob, busyWithAJob);
            ticks = 0;
        }
        feeder.Notice(ticks, busyWithAJob, busyWithAJob);
        if (feeder.Due(start + second * 1000)) {
            fed.push_back(second * 1000);
        }
    }
    return fed;
}

const auto kLively = [](std::uint32_t) { return 10; };
const auto kStalled = [](std::uint32_t) { return 0; };

} // namespace

TEST(WatchdogFeeder, FeedsAtHalfTheIntervalLessASecondWhileTheWatcherTicks) {
    const std::vector<std::uint32_t> every14s = {14000, 28000, 42000, 56000};
    EXPECT_EQ(FedDuringAMinute(30000, kLively), every14s);
    // The same across the millisecond tick's wrap.
    EXPECT_EQ(FedDuringAMinute(30000, kLively, false, 0xFFFFFFFFu - 20000), every14s);
    // A short interval: at every display tick.
    EXPECT_EQ(FedDuringAMinute(1500, kLively).size(), 60u);
    // Kelmora's own pace without an interval from the service manager.
    EXPECT_EQ(FedDuringAMinute(20000, kLively),
              (std::vector<std::uint32_t>{9000, 18000, 27000, 36000, 45000, 54000}));
}

TEST(WatchdogFeeder, AStalledWatcherIsNotFedAndAResetIsNoSignOfLife) {
    EXPECT_TRUE(FedDuringAMinute(30000, kStalled).empty());
    // It stalls after 20 s: the resets of the watchdog tick at 20, 30, ...
    // bring no feed.
    EXPECT_EQ(FedDuringAMinute(10000, [](std::uint32_t s) { return s <= 20 ? 10 : 0; }),
              (std::vector<std::uint32_t>{4000, 8000, 12000, 16000, 20000}));
    // Waiting for a job the main thread runs is life.
    EXPECT_EQ(FedDuringAMinute(30000, kStalled, true).size(), 4u);
}
