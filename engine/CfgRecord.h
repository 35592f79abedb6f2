// CfgRecord: the configuration record stored as the "Cfg_binary" value, 68
// bytes, multi-byte fields little-endian, (de)serialised byte by byte at fixed
// offsets so that the layout never depends on the compiler's struct packing.
//
//   offset size field
//    0     3    slot 1: Address, ComIndex (0 is COM1), Connected
//    3     3    slot 2        6  3  slot 3        9  3  slot 4
//   12     4    BaudIndex (0..4: 1200, 2400, 4800, 9600, 19200)
//   16     4    Capacity (persons a terminal holds)
//   20     4    MaxBreakfasts          24  4  MaxDinners
//   28     1    Coding                 29  1  DtUse         30  1  Credit
//   31    15    RequestFile            46 15  OutputFile
//   61     1    reserved               62  1  RepWriteIndex (attempts - 1)
//   63     1    HighPriority           64  1  DelayAddIndex (MASTER test + 4 x index ms)
//   65     1    reserved               66  2  reserved
//
// The fields hold the bytes exactly as stored, so FromBytes and ToBytes are
// inverse to each other for any 68 bytes: a one-byte boolean is 0 for false
// and anything else for true, and a name field keeps the bytes after its
// terminating zero. Texts are Windows-1250.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmora {

struct CfgSlot {
    std::uint8_t Address = 0;
    std::uint8_t ComIndex = 0;
    std::uint8_t Connected = 0;

    bool operator==(const CfgSlot&) const = default;
};

// A name field: at most 12 characters of text followed by zero bytes.
using CfgName = std::array<char, 15>;

struct CfgRecord {
    static constexpr std::size_t kSize = 68;
    static constexpr std::size_t kNameLength = 12;

    std::array<CfgSlot, 4> Slots{};
    std::int32_t BaudIndex = 0;
    std::int32_t Capacity = 0;
    std::int32_t MaxBreakfasts = 0;
    std::int32_t MaxDinners = 0;
    std::uint8_t Coding = 0;
    std::uint8_t DtUse = 0;
    std::uint8_t Credit = 0;
    CfgName RequestFile{};
    CfgName OutputFile{};
    std::uint8_t Reserved61 = 0;
    std::uint8_t RepWriteIndex = 0;
    std::uint8_t HighPriority = 0;
    std::uint8_t DelayAddIndex = 0;
    std::uint8_t Reserved65 = 0;
    std::uint16_t Reserved66 = 0;

    // A value-initialised record is all zero bytes; this one holds the
    // defaults: slot 1 address 1 on COM1 connected, 19200 baud, 2500 persons,
    // 4 breakfasts, 6 dinners, coding and credit on, "request.cfg",
    // "output.txt", one attempt, high priority, MASTER test index 20.
    static CfgRecord Defaults();

    // The first 68 bytes, or nothing when there are fewer.
    static std::optional<CfgRecord> FromBytes(std::string_view bytes);
    std::string ToBytes() const;

    bool operator==(const CfgRecord&) const = default;
};

// The text of a name field: its bytes up to the first zero, at most 15.
std::string NameText(const CfgName& field);

// A name field holding the first 12 characters of `text`, zero-filled.
CfgName MakeName(std::string_view text);

// The INI binary form: two hexadecimal digits a byte, high digit first,
// written in upper case.
std::string EncodeBinaryValue(std::string_view bytes);

// Reads the binary form back; upper and lower case digits are accepted. The
// length in bytes is always the number of characters divided by two, rounded
// down (a last odd character is dropped). A character that is not a
// hexadecimal digit counts as the digit 0; the configuration refuses such a
// value whole (IsBinaryValue) before it gets here.
std::string DecodeBinaryValue(std::string_view text);

// Whether every character is a hexadecimal digit.
bool IsBinaryValue(std::string_view text);

} // namespace kelmora
