// The name translation applied to the name of a record command: the accented
// letters of code page 852 (the terminals' character set) become their plain
// ASCII letters, so a name shows the same on every terminal display. Bytes
// below 0x80 pass unchanged; bytes from 0x80 go through a 128-entry table that
// keeps the non-letters as they are, with four exceptions (0x81 -> 0xFC,
// 0xAE -> 0xAA, 0xAF -> 0xBB, 0xE1 -> 0xDF).
#pragma once

#include <array>
#include <cstdint>

namespace kelmora {

// Entry i is the byte sent for the input byte 0x80 + i.
extern const std::array<std::uint8_t, 128> kNameTable;

constexpr std::uint8_t kNameTableFirst = 0x80;

std::uint8_t TranslateNameByte(std::uint8_t byte);

} // namespace kelmora
