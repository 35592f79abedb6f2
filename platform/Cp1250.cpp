#include "platform/Cp1250.h"

namespace kelmora {

namespace {

char byte_of(char32_t cp) {
    const int b = cp1250_of_unicode(cp);
    return b < 0 ? '?' : static_cast<char>(b);
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string cp1250_from_utf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    auto cont = [&](std::size_t k) {
        return k < n && (static_cast<unsigned char>(utf8[k]) & 0xC0) == 0x80;
    };
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        std::size_t len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80) {
            len = 1;
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
            cp = b0 & 0x1F;
            min = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
            cp = b0 & 0x0F;
            min = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
            cp = b0 & 0x07;
            min = 0x10000;
        }
        bool ok = len != 0;
        for (std::size_t k = 1; ok && k < len; ++k) {
            ok = cont(i + k);
            if (ok) {
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            }
        }
        if (!ok || cp < min) {
            // A malformed sequence costs one '?' and resumes at the next byte
            // that can start a character.
            out += '?';
            ++i;
            while (i < n && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) {
                ++i;
            }
            continue;
        }
        out += byte_of(cp);
        i += len;
    }
    return out;
}

std::string cp1250_from_utf16(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            ++i; // a supplementary character: one '?' for the pair
            out += '?';
        } else {
            out += byte_of(u);
        }
    }
    return out;
}

std::string utf8_from_cp1250(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        append_utf8(out, unicode_of_cp1250(static_cast<unsigned char>(c)));
    }
    return out;
}

std::u16string utf16_from_cp1250(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text) {
        out += static_cast<char16_t>(unicode_of_cp1250(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace kelmora
