#include "platform/Clock.h"

#include <windows.h>

namespace kelmora {

// GetTickCount moves in steps of about 16 ms, too coarse for the short
// pauses and timeouts of the line; the performance counter is exact.
std::uint32_t tick_ms() {
    return static_cast<std::uint32_t>(hires_counter() / (hires_frequency() / 1000));
}

void sleep_ms(std::uint32_t ms) {
    Sleep(ms);
}

std::int64_t hires_counter() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

std::int64_t hires_frequency() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return frequency;
}

} // namespace kelmora
