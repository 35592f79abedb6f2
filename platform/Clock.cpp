#include "platform/Clock.h"

namespace kelmora {

void busy_wait_us(std::int64_t us) {
    const std::int64_t f = hires_frequency();
    const std::int64_t target = hires_counter() + (us * f) / 1'000'000 + 1;
    while (hires_counter() < target) {
    }
}

} // namespace kelmora
