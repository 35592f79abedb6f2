// The Czech texts of Qt's own parts of the window: the file dialog, the
// context menu of every edit field, the standard buttons of the dialogs.
// They come from Qt's translation catalogue "qtbase_cs.qm", looked for in the
// system's Qt translations (Debian: qt6-translations-l10n) and then in a
// "translations" folder beside the program, and a few texts of our own that
// the catalogue lacks (the file dialog's type of a folder). Without the
// catalogue those parts speak English; the window then says so in the event
// log.
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

class QCoreApplication;

namespace kelmora {

// Where the catalogue is looked for, in order.
QStringList QtTranslationFolders();

// Installs the first "qtbase_cs.qm" found in `folders` into `app`; false
// when there is none (Qt's texts stay English).
bool InstallCzechQtTranslations(QCoreApplication& app,
                                const QStringList& folders = QtTranslationFolders());

// Whether Qt's own texts are Czech now, however the catalogue came in.
bool QtSpeaksCzech();

// The event log's line (Windows-1250) for a program whose Qt texts are not
// Czech.
std::string_view MissingTranslationMessage();

} // namespace kelmora
