// The PC's local date and time, as the event log and the clock command read it.
#pragma once

namespace kelmora {

struct LocalTime {
    int year = 0;    // e.g. 2013
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int weekday = 0; // 0 Sunday, 1 Monday ... 6 Saturday, as the system clock numbers them
    int hour = 0;    // 0 to 23
    int minute = 0;
    int second = 0;
};

LocalTime local_time_now();

} // namespace kelmora
