// Turning a terminal's answer block into result lines. The block's first byte
// gives its type (the letter's record type, terminal/CommandLetters.h):
//
//   'S'        S records of 27 bytes; one line from the first record only:
//              'S', bytes 1-7 as fourteen hex digits, the text from byte 9
//              (up to 16 characters, ending early at a zero byte).
//   'R', 'Z'   person records of 24 bytes (29 with DtUse), one line each
//   ('q', 'r': a block that starts with the second half of a pair):
//              letter (Z shown as Q), number "%04d" from bytes 1-2, bytes 3-6
//              as eight hex digits, flag byte 7, three groups of fourteen code
//              characters (first, breakfast, dinner codes of the meal bytes
//              8-21), and with DtUse bytes 22-26 as ten hex digits. A record
//              followed by a q or r record makes one pair line that carries
//              the six groups of both; the q or r record is used up by it.
//              A raw record (flag byte 0x80 or above) shows its meal bytes
//              themselves as group 1, ending early at a zero byte, and
//              fourteen '*' as groups 2 and 3.
//   empty      no line.
//
// The block has no checksum: only the records' letters tell line noise from
// records. A block in which a record does not start with its letter (S, or
// R, Z, q, r), or whose first byte is none of these, is no answer at all
// (NotRecords): it makes no line, however well its length fits.
//
// A flag byte of zero is shown as a blank: a zero byte inside a text line
// would cut the line short on screen and in the output file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kelmora {

struct DecodeSettings {
    bool Coding = true;
    int MaxBreakfasts = 4;
    int MaxDinners = 6;
    bool DtUse = false;
};

enum class DecodeStatus {
    Decoded,     // lines made (none for an empty block)
    WrongSizeS,  // an S block that is not a whole number of S records
    WrongSizeRZ, // a person-record block that is not a whole number of records
    NotRecords,  // a record without its letter, or a first byte of no known type
};

struct DecodeResult {
    DecodeStatus status = DecodeStatus::Decoded;
    int records = 0;           // S or person records in the block
    std::size_t badRecord = 0; // NotRecords: the first record (from 0) without its letter
};

inline constexpr std::size_t kSRecordSize = 27;
inline constexpr std::size_t kPersonRecordSize = 24;
inline constexpr std::size_t kPersonRecordSizeDt = 29;

// Decodes `block` and appends its lines to `lines`. Throws CodingError
// "Špatný počet snídaní, nebo večeří!" at the first person record when B or
// V is below 1 (also for raw records); no line of that block is appended.
DecodeResult DecodeAnswer(std::span<const std::uint8_t> block, const DecodeSettings& settings,
                          std::vector<std::string>& lines);

} // namespace kelmora
