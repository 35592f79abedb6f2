// What every window of the program shares, set on the application before
// anything is shown (the message of a second copy included): the look
// (Style.h), Qt's own texts in Czech (Translations.h), the Czech locale for
// the dates and file types Qt's dialogs show, the application title
// "Kelmora 2013", and a program that does not end when its last window
// closes, since the main window lives hidden in the notification area.
#pragma once

class QApplication;

namespace kelmora {

// False when Qt's Czech texts are missing (the rest is set all the same).
bool PrepareApplication(QApplication& app);

} // namespace kelmora
