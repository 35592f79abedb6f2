// Waiting for something another thread or process does. The limit only stops
// a hang: it is never a measure of speed.
#pragma once

#include "platform/Clock.h"

#include <cstdint>

namespace kelmora::testing {

// Runs `step` (the shell's side of a hand-over, or nothing) and rests until
// `done` holds; false when `limitMs` passed first.
template <typename Done, typename Step>
bool WaitUntil(Done done, std::uint32_t limitMs, Step step, std::uint32_t restMs = 2) {
    const std::uint32_t start = tick_ms();
    while (!done()) {
        if (elapsed_ms(start) > limitMs) {
            return false;
        }
        step();
        sleep_ms(restMs);
    }
    return true;
}

template <typename Done>
bool WaitUntil(Done done, std::uint32_t limitMs) {
    return WaitUntil(done, limitMs, [] {});
}

} // namespace kelmora::testing
