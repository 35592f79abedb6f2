#include "platform/Clock.h"

#include <cerrno>
#include <ctime>

namespace kelmora {

namespace {

std::int64_t monotonic_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

} // namespace

std::uint32_t tick_ms() {
    return static_cast<std::uint32_t>(monotonic_ns() / 1'000'000);
}

void sleep_ms(std::uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1'000'000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void exact_wait_us(std::int64_t us) {
    constexpr std::int64_t kSpinUs = 1000;
    const std::int64_t end = monotonic_ns() + us * 1000;
    if (us > 2 * kSpinUs) {
        const std::int64_t sleepNs = (us - kSpinUs) * 1000;
        timespec ts{static_cast<time_t>(sleepNs / 1'000'000'000),
                    static_cast<long>(sleepNs % 1'000'000'000)};
        while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
        }
    }
    while (monotonic_ns() < end) {
    }
}

std::int64_t hires_counter() {
    return monotonic_ns();
}

std::int64_t hires_frequency() {
    return 1'000'000'000;
}

} // namespace kelmora
