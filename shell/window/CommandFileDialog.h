// OpenDialog1, the file dialog of "Příkazy ze souboru": title "Soubory
// příkazů do terminálu.", the filters "Konfigurační soubory" (*.cfg) and "Bat
// soubory" (*.bat), the default extension "cfg", opened at ".". It is Qt's own
// dialog, never the desktop's: so it has the program's look and Qt's Czech
// texts on every desktop.
#pragma once

#include <memory>
#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace kelmora {

std::unique_ptr<QFileDialog> MakeOpenDialog1(QWidget* owner);

// Shows OpenDialog1; the chosen file as a Windows-1250 path, or none.
std::optional<std::string> ShowOpenDialog1(QWidget* owner);

} // namespace kelmora
