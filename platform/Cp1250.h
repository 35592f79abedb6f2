// Windows-1250, the 8-bit code page of every text inside Kelmora: command
// lines, result lines, log messages, file names. Conversion happens only at
// the edges (request files with a byte-order mark, the screen, POSIX paths).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelmora {

// Unicode code points of the bytes 0x80 to 0xFF. The five bytes the code page
// leaves undefined (81, 83, 88, 90, 98) map to the C1 control of the same
// value, as Windows does, so every byte survives a round trip.
inline constexpr std::array<char16_t, 128> kCp1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

// The code point of one Windows-1250 byte.
constexpr char32_t unicode_of_cp1250(unsigned char byte) {
    return byte < 0x80 ? char32_t{byte} : char32_t{kCp1250High[byte - 0x80]};
}

// The Windows-1250 byte of a code point, or -1 when the code page has none.
constexpr int cp1250_of_unicode(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<int>(cp);
    }
    for (std::size_t i = 0; i < kCp1250High.size(); ++i) {
        if (kCp1250High[i] == cp) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

// Characters without a Windows-1250 form, and malformed input, become '?'.
std::string cp1250_from_utf8(std::string_view utf8);
std::string cp1250_from_utf16(std::u16string_view utf16);
std::string utf8_from_cp1250(std::string_view text);
std::u16string utf16_from_cp1250(std::string_view text);

namespace detail {

template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    consteval Utf8Literal(const char (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            bytes[i] = text[i];
        }
    }
};

// Decodes one UTF-8 sequence at `pos`; returns the code point and advances.
constexpr char32_t next_code_point(const char* s, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    if ((b0 & 0xE0) == 0xC0) {
        const auto b1 = static_cast<unsigned char>(s[pos + 1]);
        pos += 2;
        return static_cast<char32_t>(((b0 & 0x1F) << 6) | (b1 & 0x3F));
    }
    if ((b0 & 0xF0) == 0xE0) {
        const auto b1 = static_cast<unsigned char>(s[pos + 1]);
        const auto b2 = static_cast<unsigned char>(s[pos + 2]);
        pos += 3;
        return static_cast<char32_t>(((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
    }
    throw "text literal holds a character outside the Basic Multilingual Plane";
}

template <Utf8Literal S>
consteval std::size_t cp1250_literal_length() {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos + 1 < sizeof(S.bytes);) {
        next_code_point(S.bytes, pos);
        ++n;
    }
    return n;
}

template <Utf8Literal S>
struct Cp1250Literal {
    static constexpr std::size_t size = cp1250_literal_length<S>();
    static constexpr std::array<char, size + 1> bytes = [] {
        std::array<char, size + 1> out{};
        std::size_t n = 0;
        for (std::size_t pos = 0; pos + 1 < sizeof(S.bytes);) {
            const int b = cp1250_of_unicode(next_code_point(S.bytes, pos));
            if (b < 0) {
                throw "text literal holds a character that Windows-1250 cannot carry";
            }
            out[n++] = static_cast<char>(b);
        }
        return out;
    }();
};

} // namespace detail

namespace literals {

// "Špatný počet"_cp: the Windows-1250 bytes of a UTF-8 source literal,
// converted at compile time. A character the code page lacks does not compile.
template <detail::Utf8Literal S>
constexpr std::string_view operator""_cp() {
    using L = detail::Cp1250Literal<S>;
    return std::string_view(L::bytes.data(), L::size);
}

} // namespace literals

} // namespace kelmora
