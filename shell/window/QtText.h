// The window's edge of the core's text: every text inside the core is
// Windows-1250 bytes, every text in a widget a QString.
#pragma once

#include "platform/Cp1250.h"

#include <QString>
#include <string>
#include <string_view>

namespace kelmora {

inline QString QtFromCp(std::string_view text) {
    return QString::fromStdU16String(utf16_from_cp1250(text));
}

// Characters that Windows-1250 cannot carry become '?'.
inline std::string CpFromQt(const QString& text) {
    return cp1250_from_utf16(text.toStdU16String());
}

} // namespace kelmora
