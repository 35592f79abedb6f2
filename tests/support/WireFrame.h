// A frame as Kelmora puts it on the line, built independently of both the
// terminal code and the simulator: address, length, payload, additive sum.
#pragma once

#include <cstdint>
#include <string>

namespace kelmora::testing {

inline std::string frame(int address, const std::string& payload) {
    std::string f;
    f += static_cast<char>(address);
    f += static_cast<char>(payload.size() + 3);
    f += payload;
    unsigned sum = 0;
    for (const char c : f) {
        sum += static_cast<std::uint8_t>(c);
    }
    f += static_cast<char>(sum & 0xFF);
    return f;
}

} // namespace kelmora::testing
