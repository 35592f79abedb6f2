// One line of a line trace, as both ends of a line write it (Kelmora's
// --trace and tobrin-sim's), so that the two traces read side by side:
//
//         12.345 COM1 TX 01 frame    01 04 53 58 # a note
//
// The time in milliseconds with three decimals, the port (left out by a trace
// that serves one line only), the direction (TX, RX, or -- for what is
// neither), the address in two hex digits ("--" for none), the kind padded to
// eight columns, the bytes in hexadecimal, and an optional note after '#'.
#pragma once

#include <string>
#include <string_view>

namespace kelmora {

struct TraceLine {
    double ms = 0;
    std::string_view port{};      // empty: no port column
    std::string_view direction{}; // "TX", "RX" or "--"
    int address = -1;             // -1: none
    std::string_view kind{};
    std::string_view bytes{}; // as they crossed the line
    std::string_view note{};  // empty: none
};

// The line without its line end.
std::string trace_line_text(const TraceLine& line);

} // namespace kelmora
