// Hexadecimal digits, either case.
#pragma once

namespace kelmora {

// The value 0 to 15 of a hexadecimal digit, or -1 for any other character.
constexpr int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace kelmora
