// Kelmora's pictures, drawn with QPainter for this program: vector icons that
// stay sharp at every size and scale. The image lists of the window:
//   ImageList1  the notification-area images: 0 idle, 1 a job runs
//   ImageList2  the tab icons, icon i on page i
//   ImageList3  the indicator icons: 0 MASTER, 1 SLAVE, 2 absent, 3 port closed
// and the glyphs of the large buttons.
#pragma once

#include <QIcon>

class QPainter;
class QRectF;

namespace kelmora {

enum class Glyph {
    Send,        // "Odeslat příkaz"
    CommandFile, // "Příkazy ze souboru"
    HideWindow,  // "Schovat program"
    Quit,        // "Ukončení programu"
    Save,        // "Uložit CFG"
    Clock,       // "Nastavit čas"
    EventLog,    // "Výpis error-log"
    Back,        // "   Zpět"
    Erase,       // "Vymazat obsah"
};

QIcon TrayImage(int image);     // ImageList1: 0 or 1
QIcon TabIcon(int page);        // ImageList2: 0 to 4
QIcon IndicatorIcon(int image); // ImageList3: 0 to 3
QIcon GlyphIcon(Glyph glyph);

// The picture of page "O programu" (Image2) drawn into `area`.
void PaintAboutPicture(QPainter& painter, const QRectF& area);

} // namespace kelmora
