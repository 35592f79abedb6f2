// Time as the line and the jobs see it: a wrapping millisecond tick for
// timeouts, plain sleeps, and a microsecond busy wait for the line turnarounds.
#pragma once

#include <cstdint>

namespace kelmora {

// Milliseconds on a monotonic clock, wrapping at 2^32 like the system tick
// count. Always measure with elapsed_ms(start), which survives the wrap.
std::uint32_t tick_ms();

inline std::uint32_t elapsed_ms(std::uint32_t start) {
    return tick_ms() - start;
}

// Blocks the calling thread; nothing else runs on it meanwhile.
void sleep_ms(std::uint32_t ms);

// The high-resolution counter (at least microsecond resolution) and its
// frequency in counts per second.
std::int64_t hires_counter();
std::int64_t hires_frequency();

// Spins on the high-resolution counter until `us` microseconds have passed.
// Never sleeps and never yields.
void busy_wait_us(std::int64_t us);

// Waits `us` microseconds, never less and hardly more, as the line direction
// waits must: the thread sleeps through all but the last millisecond (the
// system's timers wake it that exactly) and spins on the counter for the
// rest, so a wait of ten milliseconds costs one of processor time, not ten.
// Where the system has no such timer it spins all the way.
void exact_wait_us(std::int64_t us);

} // namespace kelmora
