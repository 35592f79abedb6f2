#include "shell/window/Translations.h"

#include "platform/Cp1250.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kelmora {

using namespace kelmora::literals;

QStringList QtTranslationFolders() {
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
}

bool InstallCzechQtTranslations(QCoreApplication& app, const QStringList& folders) {
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(&app); // lives as long as the application
        if (translator->load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                             folder) &&
            QCoreApplication::installTranslator(translator)) {
            return true;
        }
        delete translator;
    }
    return false;
}

bool QtSpeaksCzech() {
    // A text of the file dialog and one of every dialog's buttons.
    return QCoreApplication::translate("QFileDialog", "Look in:") != QLatin1String("Look in:") &&
           QCoreApplication::translate("QPlatformTheme", "Cancel") != QLatin1String("Cancel");
}

std::string_view MissingTranslationMessage() {
    return "Chybí český překlad knihovny Qt (qtbase_cs.qm), její dialogy budou anglicky"_cp;
}

} // namespace kelmora
