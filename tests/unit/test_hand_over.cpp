// The hand-over from the watcher to the main thread: a call waits until the
// main thread has run it, errors come back, dropped work never runs.
#include "engine/HandOver.h"
#include "platform/Clock.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace kelmora;
using kelmora::testing::WaitUntil;

TEST(HandOver, CallWaitsForTheMainThreadAndPassesErrorsBack) {
    HandOver handOver;
    std::atomic<int> woken{0};
    handOver.SetWake([&] { ++woken; });
    std::atomic<int> finished{0};
    std::thread caller([&] {
        EXPECT_TRUE(handOver.Call([] {}));
        ++finished;
        EXPECT_THROW(handOver.Call([] { throw std::runtime_error("x"); }), std::runtime_error);
        ++finished;
    });
    ASSERT_TRUE(WaitUntil([&] { return finished == 2; }, 10000, [&] { handOver.RunPending(); }, 1));
    caller.join();
    EXPECT_EQ(woken, 2);
}

TEST(HandOver, DroppedWorkReleasesTheCallerWithoutRunning) {
    HandOver handOver;
    std::atomic<bool> result{true};
    std::thread caller(
        [&] { result = handOver.Call([] { ADD_FAILURE() << "dropped work ran"; }); });
    while (!handOver.HasPending()) {
        sleep_ms(1);
    }
    handOver.DropPending();
    caller.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(handOver.RunPending(), 0);
}
