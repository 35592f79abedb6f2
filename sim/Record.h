// One person record as a terminal keeps it, and the bytes it sends back for P
// and Y: 24 bytes, or 29 in DT mode.
//
//   0      letter: 'Z' (stored from an X command), 'R', 'q' or 'r'
//   1-2    person number, high byte first
//   3-6    the four bytes written by the command's eight hexadecimal characters
//   7      flag byte
//   8-21   the fourteen meal bytes
//   22-23  zero                    (DT mode: 22-26 the stamp, 27-28 zero)
//
// The name and the credit travel in the command and are kept, but a terminal
// never sends them back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kelmora::sim {

inline constexpr std::size_t kRecordSize = 24;
inline constexpr std::size_t kDtRecordSize = 29;

struct PersonRecord {
    char letter = 'Z';
    std::uint16_t number = 0;
    std::array<std::uint8_t, 4> id{};
    std::uint8_t flag = '0';
    std::array<std::uint8_t, 14> meals{};
    // DT mode only: the BCD date and time of the record's last change,
    // YY MM DD hh mm.
    std::array<std::uint8_t, 5> stamp{};
    std::string name;   // the fourteen name bytes as they came
    std::string credit; // the three credit bytes of an X command with credit, else empty

    // A q or r record: the second half of a person's record.
    bool is_half() const { return letter == 'q' || letter == 'r'; }

    bool operator==(const PersonRecord&) const = default;
};

inline std::size_t record_size(bool dt) {
    return dt ? kDtRecordSize : kRecordSize;
}

// The record as it goes on the wire.
std::string record_bytes(const PersonRecord& record, bool dt);

} // namespace kelmora::sim
