// Qt's own texts in Czech: the catalogue is there and installed, the file
// dialog of "Příkazy ze souboru", the edit fields' context menu, the
// directory selection and the message boxes speak Czech, and a program
// without the catalogue says so in its event log.
#include "GuiTestMain.h"
#include "WindowHarness.h"
#include "shell/window/CommandFileDialog.h"
#include "shell/window/DirectoryDialog.h"
#include "shell/window/MessageBoxes.h"
#include "shell/window/Translations.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <algorithm>
#include <memory>

using namespace kelmora;
using namespace kelmora::literals;
using namespace kelmora::testing;

namespace {

// Every text a person reads in `widget`: captions, labels, hints, the
// entries of its lists; shortcut marks dropped.
QStringList ShownTexts(const QWidget* widget) {
    QStringList texts;
    const auto add = [&texts](QString text) {
        text.remove(QLatin1Char('&'));
        if (!text.trimmed().isEmpty()) {
            texts << text;
        }
    };
    for (const QWidget* child : widget->findChildren<QWidget*>()) {
        if (const auto* button = qobject_cast<const QAbstractButton*>(child)) {
            add(button->text());
        } else if (const auto* label = qobject_cast<const QLabel*>(child)) {
            add(label->text());
        } else if (const auto* list = qobject_cast<const QComboBox*>(child)) {
            for (int i = 0; i < list->count(); ++i) {
                add(list->itemText(i));
            }
        }
        add(child->toolTip());
    }
    return texts;
}

// Qt's English texts of the dialogs and menus the program shows.
const QStringList kEnglish{
    QStringLiteral("Look in:"),
    QStringLiteral("File name:"),
    QStringLiteral("Files of type:"),
    QStringLiteral("Open"),
    QStringLiteral("Cancel"),
    QStringLiteral("Back"),
    QStringLiteral("Forward"),
    QStringLiteral("Parent Directory"),
    QStringLiteral("Create New Folder"),
    QStringLiteral("List View"),
    QStringLiteral("Detail View"),
    QStringLiteral("Undo"),
    QStringLiteral("Redo"),
    QStringLiteral("Cut"),
    QStringLiteral("Copy"),
    QStringLiteral("Paste"),
    QStringLiteral("Delete"),
    QStringLiteral("Select All"),
    QStringLiteral("Yes"),
    QStringLiteral("No"),
    QStringLiteral("Help"),
    QStringLiteral("Close"),
    QStringLiteral("Save"),
};

QStringList EnglishAmong(const QStringList& texts) {
    QStringList english;
    for (QString text : texts) {
        text = text.section(QLatin1Char('\t'), 0, 0).trimmed(); // a menu entry's shortcut
        if (kEnglish.contains(text)) {
            english << text;
        }
    }
    return english;
}

QStringList ActionTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts << action->text().remove(QLatin1Char('&'));
        }
    }
    return texts;
}

} // namespace

class WindowCzech : public QObject {
    Q_OBJECT

private slots:
    void qtCataloguesAreInstalled() {
        QVERIFY2(QtSpeaksCzech(), "Qt's Czech texts are missing: install qt6-translations-l10n "
                                  "(make deps) or put qtbase_cs.qm beside the program");
        // A folder without the catalogue installs nothing.
        QTemporaryDir empty;
        QVERIFY(!InstallCzechQtTranslations(*qApp, {empty.path()}));
    }

    void commandFileDialog() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("příkazy")));
        const std::unique_ptr<QFileDialog> dialog = MakeOpenDialog1(nullptr);
        dialog->setDirectory(dir.path());
        dialog->show();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Soubory příkazů do terminálu."));
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->nameFilters(), (QStringList{QStringLiteral("Konfigurační soubory (*.cfg)"),
                                                     QStringLiteral("Bat soubory (*.bat)")}));
        const QStringList texts = ShownTexts(dialog.get());
        QVERIFY2(EnglishAmong(texts).isEmpty(), qPrintable(EnglishAmong(texts).join(", ")));
        QVERIFY(texts.contains(QStringLiteral("Hledat v:")));
        QVERIFY(texts.contains(QStringLiteral("Otevřít")));
        QVERIFY(texts.contains(QStringLiteral("Zrušit")));
        // The type column of a folder.
        const auto* model = dialog->findChild<QFileSystemModel*>();
        const QString folder = QDir(dir.path()).filePath(QStringLiteral("příkazy"));
        QTRY_COMPARE(model->index(folder, 2).data().toString(), QStringLiteral("Složka"));
    }

    void editFieldMenu() {
        QLineEdit field(QStringLiteral("O00"));
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        const QStringList texts = ActionTexts(*menu);
        QVERIFY2(EnglishAmong(texts).isEmpty(), qPrintable(texts.join(", ")));
        QVERIFY(texts.first().startsWith(QStringLiteral("Zpět")));
    }

    void directorySelection() {
        DirectoryDialog dialog(nullptr, QDir::currentPath(),
                               [](QWidget*, const MessageBox&) { return MessageAnswer::Ok; });
        const QStringList texts = ShownTexts(&dialog);
        QVERIFY2(EnglishAmong(texts).isEmpty(), qPrintable(texts.join(", ")));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Výběr adresáře"));
        QVERIFY(texts.contains(QStringLiteral("Storno")));
        QVERIFY(texts.contains(QStringLiteral("Nápověda")));
    }

    void messageBoxes_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("OK") << int(MessageButtons::Ok) << QStringList{QStringLiteral("OK")};
        QTest::newRow("Yes and No") << int(MessageButtons::YesNo)
                                    << QStringList{QStringLiteral("Ano"), QStringLiteral("Ne")};
    }
    void messageBoxes() {
        QFETCH(int, buttons);
        QFETCH(QStringList, captions);
        const std::unique_ptr<QMessageBox> box =
            MakeMessageBox(nullptr, {"Tento program je již spuštěn!!!"_cp, "*** Pozor ***",
                                     MessageIcon::Error, static_cast<MessageButtons>(buttons)});
        QStringList shown;
        for (const QAbstractButton* button : box->buttons()) {
            shown << button->text();
        }
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, captions);
        QCOMPARE(box->text(), QStringLiteral("Tento program je již spuštěn!!!"));
        QCOMPARE(box->windowTitle(), QStringLiteral("*** Pozor ***"));
    }

    void aMissingCatalogueIsLogged() {
        const auto translators = qApp->findChildren<QTranslator*>();
        QVERIFY(!translators.isEmpty());
        for (QTranslator* translator : translators) {
            QCoreApplication::removeTranslator(translator);
        }
        {
            WindowHarness h;
            h.Start();
            const auto log = h.LogMessages();
            QVERIFY(std::find(log.begin(), log.end(), MissingTranslationMessage()) != log.end());
        }
        for (QTranslator* translator : translators) {
            QCoreApplication::installTranslator(translator);
        }
        WindowHarness h;
        h.Start();
        const auto log = h.LogMessages();
        QVERIFY(std::find(log.begin(), log.end(), MissingTranslationMessage()) == log.end());
    }
};

KELMORA_GUI_TEST_MAIN(WindowCzech)
#include "test_window_czech.moc"
