#include "shell/window/Application.h"

#include "shell/window/MessageBoxes.h"
#include "shell/window/QtText.h"
#include "shell/window/Style.h"
#include "shell/window/Translations.h"

#include <QApplication>
#include <QLocale>

namespace kelmora {

bool PrepareApplication(QApplication& app) {
    ApplyKelmoraStyle(app);
    QCoreApplication::setApplicationName(QtFromCp(kApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    // Dates and file types in the file dialog, whatever the system's locale.
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    return InstallCzechQtTranslations(app);
}

} // namespace kelmora
