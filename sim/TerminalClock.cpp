#include "sim/TerminalClock.h"

namespace kelmora::sim {

namespace {

using std::chrono::days;
using std::chrono::floor;
using std::chrono::seconds;
using std::chrono::sys_days;

bool two_digits(std::string_view text, std::size_t pos, int& value) {
    const char hi = text[pos];
    const char lo = text[pos + 1];
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9') {
        return false;
    }
    value = (hi - '0') * 10 + (lo - '0');
    return true;
}

} // namespace

std::optional<ClockFields> parse_clock_digits(std::string_view digits) {
    if (digits.size() != 14) {
        return std::nullopt;
    }
    ClockFields f;
    int* const targets[] = {&f.year, &f.month, &f.day, &f.weekday, &f.hour, &f.minute, &f.second};
    for (std::size_t i = 0; i < 7; ++i) {
        if (!two_digits(digits, i * 2, *targets[i])) {
            return std::nullopt;
        }
    }
    const std::chrono::year_month_day date{std::chrono::year{2000 + f.year},
                                           std::chrono::month{static_cast<unsigned>(f.month)},
                                           std::chrono::day{static_cast<unsigned>(f.day)}};
    if (!date.ok() || f.weekday < 1 || f.weekday > 7 || f.hour > 23 || f.minute > 59 ||
        f.second > 59) {
        return std::nullopt;
    }
    return f;
}

std::uint8_t to_bcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

void TerminalClock::set(const ClockFields& fields, SteadyTime at) {
    const std::chrono::year_month_day date{std::chrono::year{2000 + fields.year},
                                           std::chrono::month{static_cast<unsigned>(fields.month)},
                                           std::chrono::day{static_cast<unsigned>(fields.day)}};
    base_ = sys_days{date} + std::chrono::hours{fields.hour} + std::chrono::minutes{fields.minute} +
            seconds{fields.second};
    base_weekday_ = fields.weekday;
    set_at_ = at;
}

ClockFields TerminalClock::read(SteadyTime now) const {
    const auto elapsed = now > set_at_ ? floor<seconds>(now - set_at_) : seconds{0};
    const auto current = base_ + elapsed;
    const auto today = floor<days>(current);
    const std::chrono::year_month_day date{today};
    const std::chrono::hh_mm_ss time{current - today};
    const auto days_run = (today - floor<days>(base_)).count();

    ClockFields f;
    f.year = static_cast<int>(date.year()) % 100;
    f.month = static_cast<int>(static_cast<unsigned>(date.month()));
    f.day = static_cast<int>(static_cast<unsigned>(date.day()));
    f.weekday = static_cast<int>((base_weekday_ - 1 + days_run) % 7) + 1;
    f.hour = static_cast<int>(time.hours().count());
    f.minute = static_cast<int>(time.minutes().count());
    f.second = static_cast<int>(time.seconds().count());
    return f;
}

std::array<std::uint8_t, 7> TerminalClock::read_bcd(SteadyTime now) const {
    const ClockFields f = read(now);
    return {to_bcd(f.year), to_bcd(f.month),  to_bcd(f.day),   to_bcd(f.weekday),
            to_bcd(f.hour), to_bcd(f.minute), to_bcd(f.second)};
}

} // namespace kelmora::sim
