// A blocking call on a thread of its own: its answer when it comes in time;
// nothing, and the answer handed over to be discarded, when it does not, or
// when the caller's step says to give up.
#include "platform/BoundedCall.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace kelmora;

namespace {

bool keep_waiting(void*) {
    return true;
}
bool give_up(void* steps) {
    return ++*static_cast<int*>(steps) < 3;
}

// Waits for `flag`; the bound only stops a hang.
bool Eventually(const std::atomic<bool>& flag) {
    const std::uint32_t start = tick_ms();
    while (!flag && elapsed_ms(start) < 10000) {
        sleep_ms(5);
    }
    return flag;
}

} // namespace

TEST(BoundedCall, AnAnswerInTimeIsReturned) {
    const auto answer = call_bounded<int>([] { return 42; }, [](int) { FAIL(); }, tick_ms(), 10000,
                                          keep_waiting, nullptr);
    EXPECT_EQ(answer, 42);
}

TEST(BoundedCall, ALateAnswerIsDiscardedOnItsOwnThread) {
    // The call ends only once its caller has given up.
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto discarded = std::make_shared<std::atomic<bool>>(false);
    const auto slow = [release] {
        while (!*release) {
            sleep_ms(1);
        }
        return 7;
    };
    const auto discard = [discarded](int late) { *discarded = late == 7; };
    EXPECT_EQ(call_bounded<int>(slow, discard, tick_ms(), 30, keep_waiting, nullptr), std::nullopt);
    int steps = 0;
    EXPECT_EQ(call_bounded<int>(slow, discard, tick_ms(), 10000, give_up, &steps), std::nullopt);
    EXPECT_EQ(steps, 3) << "the step is asked until it says to give up";
    *release = true;
    EXPECT_TRUE(Eventually(*discarded));
}
