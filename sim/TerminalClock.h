// A terminal's clock: set to a date and time, it runs on from that moment.
// It reads as seven BCD bytes YY MM DD WD hh mm ss, the order of the T
// command's fourteen digits (WD: Monday 1 to Sunday 7). The day of the week
// runs on from the value that was set, even when that value did not match
// the date.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelmora::sim {

using SteadyTime = std::chrono::steady_clock::time_point;

struct ClockFields {
    int year = 0; // 0 to 99
    int month = 1;
    int day = 1;
    int weekday = 1; // 1 Monday to 7 Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const ClockFields&) const = default;
};

// The seven values of fourteen decimal digits, or nothing when a digit is
// missing or a value is out of its range (an impossible date included).
std::optional<ClockFields> parse_clock_digits(std::string_view digits);

std::uint8_t to_bcd(int value);

class TerminalClock {
public:
    void set(const ClockFields& fields, SteadyTime at);
    ClockFields read(SteadyTime now) const;
    std::array<std::uint8_t, 7> read_bcd(SteadyTime now) const;

private:
    std::chrono::sys_seconds base_{};
    int base_weekday_ = 1;
    SteadyTime set_at_{};
};

} // namespace kelmora::sim
