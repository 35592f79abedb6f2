// The watcher (THlidac): the request file taken on the main thread once it
// has settled, the re-test, suspend, terminate and stop.
#include "engine/HandOver.h"
#include "engine/Zmena.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

using namespace kelmora;
using kelmora::testing::TempDir;
using kelmora::testing::WaitUntil;

namespace {

// Runs the main thread's side until `done` holds.
template <typename Done>
bool PumpUntil(HandOver& handOver, Done done) {
    return WaitUntil(
        done, 10000, [&] { handOver.RunPending(); }, 1);
}

struct WatcherFixture : ::testing::Test {
    // Runs the main thread's side for `ms`; true as soon as `done` holds.
    template <typename Done>
    bool PumpUntilOrAfter(std::uint32_t ms, Done done) {
        return WaitUntil(
            done, ms, [&] { handOver.RunPending(); }, 1);
    }

    TempDir dir;
    SharedFlags flags;
    HandOver handOver;
    std::atomic<int> processed{0};
    std::atomic<int> retests{0};
    std::thread::id mainThread = std::this_thread::get_id();
    std::atomic<bool> ranOnMainThread{true};

    std::unique_ptr<THlidac> Start(WatcherTiming timing = {2, 0}) {
        WatcherWork work;
        work.processRequestFile = [this](const std::string& path) {
            ranOnMainThread = ranOnMainThread && std::this_thread::get_id() == mainThread;
            remove_file(path);
            ++processed;
        };
        work.retestTerminals = [this] { ++retests; };
        auto watcher = std::make_unique<THlidac>(dir.file("request.cfg"), flags, handOver,
                                                 std::move(work), timing);
        watcher->Resume();
        return watcher;
    }
};

} // namespace

TEST_F(WatcherFixture, TakesTheRequestFileOnTheMainThreadAndRetestsLater) {
    auto watcher = Start();
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "S\r\n"));
    ASSERT_TRUE(PumpUntil(handOver, [&] { return processed == 1; }));
    EXPECT_TRUE(ranOnMainThread);
    // The re-test comes on the first idle tick after 100 ticks.
    ASSERT_TRUE(PumpUntil(handOver, [&] { return retests >= 1; }));
    EXPECT_EQ(processed, 1);
    EXPECT_GT(flags.WatchdogTicks, 100);
}

TEST_F(WatcherFixture, ManualRunHoldsBothChecksOff) {
    flags.ManualRun = true;
    auto watcher = Start();
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "S\r\n"));
    // Well past a poll and a re-test, nothing was handed over.
    ASSERT_TRUE(PumpUntil(handOver, [&] { return flags.WatchdogTicks > 150; }));
    EXPECT_EQ(processed, 0);
    EXPECT_EQ(retests, 0);
    flags.ManualRun = false;
    ASSERT_TRUE(PumpUntil(handOver, [&] { return processed == 1; }));
}

TEST_F(WatcherFixture, AFileIsTakenOnceUnchangedForTheSettleTimeWhateverItsStamp) {
    // A host on a share whose clock runs ahead or behind stamps its files in
    // the future or the past; only a change between two looks counts.
    for (const auto offset : {std::chrono::hours(1), -std::chrono::hours(1)}) {
        SCOPED_TRACE(offset.count());
        processed = 0;
        std::string taken;
        WatcherWork work;
        work.processRequestFile = [&](const std::string& path) {
            taken = read_file(path).value_or("?");
            remove_file(path);
            ++processed;
        };
        work.retestTerminals = [] {};
        THlidac watcher(dir.file("request.cfg"), flags, handOver, std::move(work), {2, 400});
        watcher.Resume();
        const auto stampFile = [&] {
            std::filesystem::last_write_time(std::filesystem::path(dir.file("request.cfg")),
                                             std::filesystem::file_time_type::clock::now() +
                                                 offset);
        };
        // Still being written: a line every 100 ms for a second.
        std::string content;
        std::uint32_t lastChange = 0;
        for (int i = 0; i < 10; ++i) {
            content += "N\r\n";
            ASSERT_TRUE(write_file(dir.file("request.cfg"), content));
            stampFile();
            lastChange = tick_ms();
            ASSERT_FALSE(PumpUntilOrAfter(100, [&] { return processed > 0; }))
                << "taken while still being written";
        }
        ASSERT_TRUE(PumpUntil(handOver, [&] { return processed == 1; }));
        EXPECT_GE(elapsed_ms(lastChange), 390u);
        EXPECT_EQ(taken, content);
    }
}

TEST_F(WatcherFixture, SuspendHoldsTheLoopAndTerminateEndsIt) {
    auto watcher = Start();
    ASSERT_TRUE(PumpUntil(handOver, [&] { return flags.WatcherRunning.load(); }));
    watcher->Suspend();
    sleep_ms(20);
    const int ticks = flags.WatchdogTicks;
    sleep_ms(50);
    EXPECT_LE(flags.WatchdogTicks, ticks + 1); // at most the tick already under way
    EXPECT_EQ(watcher->ExitCode(), kStillActive);
    watcher->Terminate(); // also wakes a suspended watcher
    watcher->Join();
    EXPECT_EQ(watcher->ExitCode(), 0);
    EXPECT_FALSE(flags.WatcherRunning);
}

TEST_F(WatcherFixture, StoppingEndsTheLoopAtTheNextTick) {
    auto watcher = Start();
    ASSERT_TRUE(PumpUntil(handOver, [&] { return flags.WatcherRunning.load(); }));
    flags.Stopping = true;
    ASSERT_TRUE(PumpUntil(handOver, [&] { return watcher->ExitCode() == 0; }));
    EXPECT_FALSE(flags.WatcherRunning);
}

TEST_F(WatcherFixture, AnErrorInAHandOverAbandonsOnlyThatTick) {
    WatcherWork work;
    std::atomic<int> calls{0};
    work.processRequestFile = [&](const std::string&) {
        if (++calls == 1) {
            throw std::runtime_error("the first take fails");
        }
        remove_file(dir.file("request.cfg"));
    };
    work.retestTerminals = [] {};
    THlidac watcher(dir.file("request.cfg"), flags, handOver, std::move(work), {2, 0});
    watcher.Resume();
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "S\r\n"));
    ASSERT_TRUE(PumpUntil(handOver, [&] { return calls == 2; }));
    EXPECT_FALSE(file_exists(dir.file("request.cfg")));
}
