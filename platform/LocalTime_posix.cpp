#include "platform/LocalTime.h"

#include <ctime>

namespace kelmora {

LocalTime local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday,
            tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

} // namespace kelmora
