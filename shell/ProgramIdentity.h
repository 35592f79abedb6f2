// Who the program is, the same for every shell: the name of its
// single-instance mark, its application title (the caption of message boxes
// that have none of their own and the notification-area tooltip), its
// window caption and the balloon it shows once it has started. Texts are
// Windows-1250.
#pragma once

#include "engine/Console.h"
#include "platform/Cp1250.h"

#include <string>
#include <string_view>

namespace kelmora {

inline constexpr std::string_view kInstanceMarkName = "Kelmoraprogram";
inline constexpr std::string_view kApplicationTitle = "Kelmora 2013";
inline constexpr std::string_view kWindowCaption = literals::operator""_cp<
    "Kelmora - komunikační program pro terminál TOBRIN">();

// The balloon of a finished start-up.
inline constexpr std::string_view kStartBalloonText = "Start programu";
inline constexpr int kStartBalloonMs = 500;

// What a second copy shows (without owner window) before it ends with -1.
inline constexpr MessageBox kSecondCopyMessage{
    literals::operator""_cp<"Tento program je již spuštěn!!!">(), "*** Pozor ***",
    MessageIcon::Error, MessageButtons::Ok};

// "Datum vytvoření programu: Jun 13 2013", the build date of the program
// (the compiler's "Mmm dd yyyy" with the day's padding blank dropped).
inline std::string BuildDateLabel() {
    std::string date = __DATE__;
    if (date.size() > 4 && date[4] == ' ') {
        date.erase(4, 1);
    }
    return std::string(literals::operator""_cp<"Datum vytvoření programu: ">()) + date;
}

} // namespace kelmora
