// The millisecond tick, sleep and the microsecond busy wait.
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace kelmora;

TEST(Clock, TheMicrosecondWaitsNeverReturnEarly) {
    for (const auto wait : {&busy_wait_us, &exact_wait_us}) {
        for (const std::int64_t us : {0, 50, 2000, 2500, 12000}) {
            const std::int64_t start = hires_counter();
            wait(us);
            const std::int64_t waited = (hires_counter() - start) * 1'000'000 / hires_frequency();
            EXPECT_GE(waited, us);
        }
    }
    const std::uint32_t t0 = tick_ms();
    sleep_ms(20);
    EXPECT_GE(elapsed_ms(t0), 20u);
}
