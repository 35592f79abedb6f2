#include "terminal/NumberField.h"

#include <cstdint>
#include <limits>

namespace kelmora {

namespace {

constexpr bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The digit's value, or -1 when it is not a digit of any base up to 16.
constexpr int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<std::int32_t> ReadNumberField(std::string_view field) {
    std::string_view text = field.substr(0, field.find('\0'));
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return 0;
    }
    const int base = text.size() >= 2 && (text[1] == 'x' || text[1] == 'X') ? 16 : 10;

    std::size_t pos = 0;
    while (pos < text.size() && IsCSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // The prefix counts only when a hexadecimal digit follows it; otherwise
    // the '0' alone is the number and the 'x' is left unused.
    if (base == 16 && pos + 2 < text.size() && text[pos] == '0' &&
        (text[pos + 1] == 'x' || text[pos + 1] == 'X') && DigitValue(text[pos + 2]) >= 0) {
        pos += 2;
    }

    // The magnitude is capped just past the 32-bit range, which is all the
    // saturation below needs to know.
    constexpr std::int64_t kCap = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    const std::size_t firstDigit = pos;
    while (pos < text.size()) {
        const int digit = DigitValue(text[pos]);
        if (digit < 0 || digit >= base) {
            break;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > kCap) {
            magnitude = kCap;
        }
        ++pos;
    }
    if (pos == firstDigit || pos != text.size()) {
        // No digit means no character used at all; a text with characters left
        // over is not a number either.
        return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

} // namespace kelmora
