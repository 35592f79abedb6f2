#include "engine/ClockCommand.h"

#include <gtest/gtest.h>

using namespace kelmora;

TEST(ClockCommand, FourteenDigitsWithSundayAsSeven) {
    struct Case {
        LocalTime time;
        const char* line;
    };
    const Case cases[] = {
        {{2013, 6, 13, 4, 9, 5, 7}, "T13061304090507"},    // a Thursday
        {{2013, 6, 16, 0, 23, 59, 59}, "T13061607235959"}, // a Sunday: 07, never 00
        {{2000, 1, 1, 6, 0, 0, 0}, "T00010106000000"},     // year digits 00
        {{2099, 12, 31, 4, 12, 30, 1}, "T99123104123001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockCommandLine(c.time), c.line);
    }
}
