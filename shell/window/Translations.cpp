#include "shell/window/Translations.h"

#include "platform/Cp1250.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <utility>

namespace kelmora {

using namespace kelmora::literals;

namespace {

// The file types the file dialog shows for folders and drives: Qt's Czech
// catalogue of this Qt version still has them under their old context only.
class FileTypeTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        static const std::pair<const char*, const char*> kTexts[] = {
            {"Folder", "Složka"},  {"File Folder", "Složka"}, {"File", "Soubor"},
            {"Drive", "Jednotka"}, {"Shortcut", "Zástupce"},  {"Unknown", "Neznámý"},
        };
        for (const auto& [english, czech] : kTexts) {
            if (qstrcmp(sourceText, english) == 0) {
                return QString::fromUtf8(czech);
            }
        }
        return {};
    }

    bool isEmpty() const override { return false; }
};

} // namespace

QStringList QtTranslationFolders() {
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
}

bool InstallCzechQtTranslations(QCoreApplication& app, const QStringList& folders) {
    QCoreApplication::installTranslator(new FileTypeTexts(&app));
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
