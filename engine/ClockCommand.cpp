#include "engine/ClockCommand.h"

#include <cstdio>

namespace kelmora {

std::string ClockCommandLine(const LocalTime& t) {
    const int weekday = t.weekday == 0 ? 7 : t.weekday; // the system clock counts Sunday 0
    char line[48];
    std::snprintf(line, sizeof line, "T%02d%02d%02d%02d%02d%02d%02d", t.year % 100, t.month, t.day,
                  weekday, t.hour, t.minute, t.second);
    return line;
}

} // namespace kelmora
