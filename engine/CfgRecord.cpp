#include "engine/CfgRecord.h"

#include "platform/Hex.h"

#include <algorithm>

namespace kelmora {

namespace {

// A character that is not a hexadecimal digit reads as the digit 0.
int HexOrZero(char c) {
    return std::max(hex_digit_value(c), 0);
}

std::uint8_t byte_at(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

std::uint32_t unsigned_le(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | byte_at(bytes, offset + i);
    }
    return value;
}

std::int32_t int32_le(std::string_view bytes, std::size_t offset) {
    return static_cast<std::int32_t>(unsigned_le(bytes, offset, 4));
}

void put_le(std::string& bytes, std::size_t offset, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

CfgName name_at(std::string_view bytes, std::size_t offset) {
    CfgName name{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), name.size(), name.begin());
    return name;
}

void put_name(std::string& bytes, std::size_t offset, const CfgName& name) {
    std::copy(name.begin(), name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

CfgRecord CfgRecord::Defaults() {
    CfgRecord r;
    r.Slots[0] = CfgSlot{1, 0, 1};
    r.BaudIndex = 4;
    r.Capacity = 2500;
    r.MaxBreakfasts = 4;
    r.MaxDinners = 6;
    r.Coding = 1;
    r.DtUse = 0;
    r.Credit = 1;
    r.RequestFile = MakeName("request.cfg");
    r.OutputFile = MakeName("output.txt");
    r.RepWriteIndex = 0;
    r.HighPriority = 1;
    r.DelayAddIndex = 20;
    return r;
}

std::optional<CfgRecord> CfgRecord::FromBytes(std::string_view bytes) {
    if (bytes.size() < kSize) {
        return std::nullopt;
    }
    CfgRecord r;
    for (std::size_t i = 0; i < r.Slots.size(); ++i) {
        r.Slots[i] =
            CfgSlot{byte_at(bytes, 3 * i), byte_at(bytes, 3 * i + 1), byte_at(bytes, 3 * i + 2)};
    }
    r.BaudIndex = int32_le(bytes, 12);
    r.Capacity = int32_le(bytes, 16);
    r.MaxBreakfasts = int32_le(bytes, 20);
    r.MaxDinners = int32_le(bytes, 24);
    r.Coding = byte_at(bytes, 28);
    r.DtUse = byte_at(bytes, 29);
    r.Credit = byte_at(bytes, 30);
    r.RequestFile = name_at(bytes, 31);
    r.OutputFile = name_at(bytes, 46);
    r.Reserved61 = byte_at(bytes, 61);
    r.RepWriteIndex = byte_at(bytes, 62);
    r.HighPriority = byte_at(bytes, 63);
    r.DelayAddIndex = byte_at(bytes, 64);
    r.Reserved65 = byte_at(bytes, 65);
    r.Reserved66 = static_cast<std::uint16_t>(unsigned_le(bytes, 66, 2));
    return r;
}

std::string CfgRecord::ToBytes() const {
    std::string bytes(kSize, '\0');
    for (std::size_t i = 0; i < Slots.size(); ++i) {
        bytes[3 * i] = static_cast<char>(Slots[i].Address);
        bytes[3 * i + 1] = static_cast<char>(Slots[i].ComIndex);
        bytes[3 * i + 2] = static_cast<char>(Slots[i].Connected);
    }
    put_le(bytes, 12, static_cast<std::uint32_t>(BaudIndex), 4);
    put_le(bytes, 16, static_cast<std::uint32_t>(Capacity), 4);
    put_le(bytes, 20, static_cast<std::uint32_t>(MaxBreakfasts), 4);
    put_le(bytes, 24, static_cast<std::uint32_t>(MaxDinners), 4);
    bytes[28] = static_cast<char>(Coding);
    bytes[29] = static_cast<char>(DtUse);
    bytes[30] = static_cast<char>(Credit);
    put_name(bytes, 31, RequestFile);
    put_name(bytes, 46, OutputFile);
    bytes[61] = static_cast<char>(Reserved61);
    bytes[62] = static_cast<char>(RepWriteIndex);
    bytes[63] = static_cast<char>(HighPriority);
    bytes[64] = static_cast<char>(DelayAddIndex);
    bytes[65] = static_cast<char>(Reserved65);
    put_le(bytes, 66, Reserved66, 2);
    return bytes;
}

std::string NameText(const CfgName& field) {
    const auto zero = std::find(field.begin(), field.end(), '\0');
    return std::string(field.begin(), zero);
}

CfgName MakeName(std::string_view text) {
    CfgName name{};
    text = text.substr(0, CfgRecord::kNameLength);
    std::copy(text.begin(), text.end(), name.begin());
    return name;
}

std::string EncodeBinaryValue(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

bool IsBinaryValue(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return hex_digit_value(c) >= 0; });
}

std::string DecodeBinaryValue(std::string_view text) {
    std::string bytes(text.size() / 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(HexOrZero(text[2 * i]) * 16 + HexOrZero(text[2 * i + 1]));
    }
    return bytes;
}

} // namespace kelmora
