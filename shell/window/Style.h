// The look of every Kelmora window: Qt's Fusion style with a palette of our
// own in smoky quartz tones (warm greys and browns, a dark smoky highlight),
// the window font at 8 points and tabs 35 pixels high.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QApplication;

namespace kelmora {

namespace quartz {
inline const QColor Window{0xdc, 0xd5, 0xcc};
inline const QColor Base{0xf6, 0xf3, 0xee};
inline const QColor AlternateBase{0xec, 0xe6, 0xde};
inline const QColor Button{0xd2, 0xc9, 0xbe};
inline const QColor Light{0xf3, 0xef, 0xe9};
inline const QColor Midlight{0xe4, 0xdd, 0xd4};
inline const QColor Mid{0xb0, 0xa5, 0x99};
inline const QColor Dark{0x8a, 0x7e, 0x72};
inline const QColor Shadow{0x4b, 0x41, 0x39};
inline const QColor Text{0x2c, 0x25, 0x20};
inline const QColor DisabledText{0x95, 0x8b, 0x81};
inline const QColor Highlight{0x76, 0x60, 0x4d};
inline const QColor HighlightedText{0xfb, 0xf8, 0xf4};
inline const QColor Accent{0x9c, 0x7a, 0x5a};
inline const QColor QuickButtonText{0x1d, 0x4f, 0xa8};
} // namespace quartz

QPalette QuartzPalette();

// The window font ("MS Sans Serif" where it exists) at `points`.
QFont WindowFont(double points = 8);
// The tabs' font: the window font, narrow where the window font is wide, so
// that all five tabs fit the window.
QFont TabFont();
// The fixed-pitch font of the result list and the event log.
QFont FixedFont(double points);

// Fusion with the quartz palette, the window font and 35-pixel tabs; its
// drop-down lists open below their box and show at most their number of
// visible entries.
void ApplyKelmoraStyle(QApplication& app);

inline constexpr int kTabHeight = 35;

} // namespace kelmora
