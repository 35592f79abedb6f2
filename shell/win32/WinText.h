// The Win32 window's edge of the core's text: every text inside the core is
// Windows-1250 bytes, every text on the screen UTF-16 through the W calls.
#pragma once

#include "platform/Cp1250.h"

#include <string>
#include <string_view>

namespace kelmora::win32 {

inline std::wstring Wide(std::string_view cp1250) {
    const std::u16string text = utf16_from_cp1250(cp1250);
    return std::wstring(text.begin(), text.end());
}

// Characters that Windows-1250 cannot carry become '?'.
inline std::string Cp(std::wstring_view text) {
    return cp1250_from_utf16(std::u16string(text.begin(), text.end()));
}

} // namespace kelmora::win32
