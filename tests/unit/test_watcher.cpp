// The watcher (THlidac): the request file taken on the main thread once its
// writer is done (or, where that cannot be known, once it has settled), the
// re-test, suspend, terminate and stop.
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
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

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

    // Quick looks and re-tests, a heartbeat of 2 ms.
    static constexpr WatcherTiming kQuick{
        .lookMs = 20, .settleMs = 0, .quietMs = 0, .retestMs = 200, .tickMs = 2};

    THlidac& Start(WatcherTiming timing = kQuick) {
        WatcherWork work;
        work.processRequestFile = [this](const std::string& path) {
            ranOnMainThread = ranOnMainThread && std::this_thread::get_id() == mainThread;
            remove_file(path);
            ++processed;
        };
        work.retestTerminals = [this] { ++retests; };
        return StartWith(std::move(work), timing);
    }
    // Work that takes the request file: what it held into `taken`.
    WatcherWork Taking(std::string& taken) {
        WatcherWork work;
        work.processRequestFile = [this, &taken](const std::string& path) {
            taken = read_file(path).value_or("?");
            remove_file(path);
            ++processed;
        };
        work.retestTerminals = [] {};
        return work;
    }
    THlidac& StartWith(WatcherWork work, WatcherTiming timing) {
        TearDown();
        watcher = std::make_unique<THlidac>(dir.file("request.cfg"), flags, handOver,
                                            std::move(work), timing);
        watcher->Resume();
        return *watcher;
    }
    // As the engine's shutdown does: a hand-over the watcher still waits for
    // is dropped, or it would wait for ever.
    void TearDown() override {
        if (watcher) {
            watcher->Terminate();
            while (watcher->ExitCode() == kStillActive) {
                handOver.DropPending();
                sleep_ms(1);
            }
            watcher.reset();
        }
    }

    std::unique_ptr<THlidac> watcher;
};

} // namespace

TEST_F(WatcherFixture, TakesTheRequestFileOnTheMainThreadAndRetestsLater) {
    Start();
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "S\r\n"));
    ASSERT_TRUE(PumpUntil(handOver, [&] { return processed == 1; }));
    EXPECT_TRUE(ranOnMainThread);
    // The re-test comes when its time is up and no look is due.
    ASSERT_TRUE(PumpUntil(handOver, [&] { return retests >= 1; }));
    EXPECT_EQ(processed, 1);
    EXPECT_GT(flags.WatchdogTicks, 0);
}

TEST_F(WatcherFixture, ManualRunHoldsBothChecksOff) {
    flags.ManualRun = true;
    Start();
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
        WatcherWork work = Taking(taken);
        // A directory mounted from another machine: nobody can say whether
        // the file is still open for writing.
        work.writersOf = [](const std::string&) { return Writers::Unknown; };
        StartWith(std::move(work),
                  {.lookMs = 20, .settleMs = 400, .retestMs = 100000, .tickMs = 2});
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
        TearDown(); // before what its work refers to goes
    }
}

TEST_F(WatcherFixture, SuspendHoldsTheLoopAndTerminateEndsIt) {
    THlidac& watcher = Start();
    ASSERT_TRUE(PumpUntil(handOver, [&] { return flags.WatcherRunning.load(); }));
    watcher.Suspend();
    sleep_ms(20);
    const int ticks = flags.WatchdogTicks;
    sleep_ms(50);
    EXPECT_LE(flags.WatchdogTicks, ticks + 1); // at most the tick already under way
    EXPECT_EQ(watcher.ExitCode(), kStillActive);
    watcher.Terminate(); // also wakes a suspended watcher
    watcher.Join();
    EXPECT_EQ(watcher.ExitCode(), 0);
    EXPECT_FALSE(flags.WatcherRunning);
}

TEST_F(WatcherFixture, StoppingEndsTheLoopAtTheNextTick) {
    THlidac& watcher = Start();
    ASSERT_TRUE(PumpUntil(handOver, [&] { return flags.WatcherRunning.load(); }));
    flags.Stopping = true;
    ASSERT_TRUE(PumpUntil(handOver, [&] { return watcher.ExitCode() == 0; }));
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
    StartWith(std::move(work), kQuick);
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "S\r\n"));
    ASSERT_TRUE(PumpUntil(handOver, [&] { return calls == 2; }));
    EXPECT_FALSE(file_exists(dir.file("request.cfg")));
}

TEST_F(WatcherFixture, AFileIsTakenOnlyOnceItsWriterHasClosedIt) {
    std::string taken;
    std::atomic<int> looks{0};
    WatcherWork work = Taking(taken);
    work.writersOf = [&](const std::string& path) {
        ++looks;
        return file_writers(path);
    };
    StartWith(std::move(work), {.lookMs = 100, .quietMs = 0, .retestMs = 100000, .tickMs = 2});
    // A host that stops in the middle of a line, its file open, as a slow
    // copy over the network does.
    const std::string first = "TERM1\r\nXQ0001123456780";
    const std::string rest = "111222333\r\nS\r\n";
    {
        std::ofstream out(dir.file("request.cfg"), std::ios::binary);
        out << first << std::flush;
        ASSERT_FALSE(PumpUntilOrAfter(700, [&] { return processed > 0; }))
            << "taken while its writer had it open";
        // Resting meanwhile: a look now and then, never a spin.
        EXPECT_LE(looks, 10);
        out << rest;
    }
    ASSERT_TRUE(PumpUntil(handOver, [&] { return processed == 1; }));
    EXPECT_EQ(taken, first + rest);
    sleep_ms(50);
    EXPECT_EQ(processed, 1);
}

TEST_F(WatcherFixture, TheFileSystemsNoticeBringsTheFileWithoutWaitingForALook) {
    std::vector<std::string> taken;
    WatcherWork work;
    work.processRequestFile = [&](const std::string& path) {
        taken.push_back(read_file(path).value_or("?"));
        remove_file(path);
    };
    work.retestTerminals = [] {};
    // A look a minute apart: only the notice can bring the files in time.
    StartWith(std::move(work), {.lookMs = 60000, .retestMs = 600000, .tickMs = 2});
    ASSERT_TRUE(PumpUntil(handOver, [&] { return flags.WatcherRunning.load(); }));
    sleep_ms(50); // the first look, at the start, has found nothing
    ASSERT_TRUE(write_file(dir.file("request.cfg"), "N1\r\n")); // written and closed
    ASSERT_TRUE(PumpUntil(handOver, [&] { return taken.size() == 1; }));
    ASSERT_TRUE(write_file(dir.file("request.part"), "N2\r\n"));
    ASSERT_TRUE(rename_over(dir.file("request.part"), dir.file("request.cfg"))); // renamed in
    ASSERT_TRUE(PumpUntil(handOver, [&] { return taken.size() == 2; }));
    EXPECT_EQ(taken, (std::vector<std::string>{"N1\r\n", "N2\r\n"}));
}
