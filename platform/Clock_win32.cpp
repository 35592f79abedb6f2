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

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

void exact_wait_us(std::int64_t us) {
    constexpr std::int64_t kSpinUs = 1000;
    const std::int64_t f = hires_frequency();
    const std::int64_t end = hires_counter() + (us * f) / 1'000'000 + 1;
    // A timer of the calling thread's own; only Windows 10 (1803) and later
    // have one that wakes to the millisecond, older ones spin.
    thread_local const HANDLE timer = CreateWaitableTimerExW(
        nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (timer != nullptr && us > 2 * kSpinUs) {
        LARGE_INTEGER due;
        due.QuadPart = -(us - kSpinUs) * 10; // relative, in 100 ns units
        if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
            WaitForSingleObject(timer, INFINITE);
        }
    }
    while (hires_counter() < end) {
    }
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
