#include "shell/window/Application.h"

#include "shell/window/MessageBoxes.h"
#include "shell/window/Style.h"
#include "shell/window/Translations.h"

#include <QApplication>

namespace kelmora {

bool PrepareApplication(QApplication& app) {
    ApplyKelmoraStyle(app);
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    return InstallCzechQtTranslations(app);
}

} // namespace kelmora
