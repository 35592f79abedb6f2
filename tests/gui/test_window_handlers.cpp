// The window's own handlers without a terminal: the start without a port,
// the close confirmation, saving the configuration, the event-log page, the
// menu of the configuration pages, the directory selection and an error that
// escapes a handler.
#include "GuiTestMain.h"
#include "WindowHarness.h"
#include "serial/Customport.h"
#include "shell/window/DirectoryDialog.h"
#include "shell/window/QtText.h"
#include "shell/window/StatusPanels.h"
#include "support/ConfigurationEdits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <atomic>
#include <stdexcept>

using namespace kelmora;
using namespace kelmora::literals;
using namespace kelmora::testing;

namespace {

const std::string_view kCloseQuestion =
    "Opravdu si přeješ ukončit program?\nKomunikace bude ukončena!"_cp;
const std::string_view kRestartQuestion =
    "Nastavená konfigurace bude použita až po restartu programu!\nProvést restart programu ihned?"_cp;

std::string LastLogMessage(const WindowHarness& h) {
    const std::vector<std::string> lines = h.LogMessages();
    return lines.empty() ? std::string() : lines.back();
}

CfgRecord StoredRecord(const std::string& iniPath) {
    const auto value = ReadIniFile(iniPath).Get("Konfigurace", "Cfg_binary");
    const auto record = CfgRecord::FromBytes(DecodeBinaryValue(value.value_or("")));
    return record.value_or(CfgRecord{});
}

} // namespace

// A stand-in for Qt's own balloon window, which the notification-area icon
// finds by its class name.
class QBalloonTip : public QWidget {
    Q_OBJECT

public:
    QBalloonTip() : QWidget(nullptr, Qt::ToolTip) {}
};

class WindowHandlers : public QObject {
    Q_OBJECT

private slots:
    void startWithoutAPortShowsTheConfigurationPage() {
        WindowHarness h;
        TForm1& form = h.Start();
        QCOMPARE(form.Ui().PageControl1->currentIndex(), 1);
        QVERIFY(form.isVisible());
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(
            h.messages[0].text,
            std::string("Neni otevřen žádný COM port\nje nutno provést konfiguraci portu!"_cp));
        QCOMPARE(h.messages[0].caption, std::string("Pozor!"));
        QCOMPARE(h.messages[0].icon, MessageIcon::Warning);
        QCOMPARE(h.messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(h.balloons.size(), std::size_t{1});
        QCOMPARE(h.balloons[0].title, QStringLiteral("Kelmora 2013"));
        QCOMPARE(h.balloons[0].text, QStringLiteral("Start programu"));
        QCOMPARE(h.balloons[0].timeoutMs, 500);
        QVERIFY(form.Timer1()->isActive());
        QVERIFY(form.Timer2()->isActive());
    }

    void closeButtonAsksAndNoKeepsEverythingRunning() {
        WindowHarness h;
        TForm1& form = h.Start();
        h.messages.clear();
        h.replies = {MessageAnswer::No};
        QVERIFY(!form.close());
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text, std::string(kCloseQuestion));
        QCOMPARE(h.messages[0].caption, std::string("Pozor!"));
        QCOMPARE(h.messages[0].icon, MessageIcon::Question);
        QCOMPARE(h.messages[0].buttons, MessageButtons::YesNo);
        QVERIFY(!h.messages[0].owned);
        QTest::qWait(200);
        QVERIFY(form.isVisible());
        QVERIFY(!form.QuitRequested());
        QCOMPARE(h.quits, 0);
        QVERIFY(form.Timer1()->isActive());
        QVERIFY(form.GetEngine().Flags().WatcherRunning);
        QVERIFY(!form.GetEngine().Flags().Stopping);

        h.replies = {MessageAnswer::Yes};
        QVERIFY(form.close());
        QTRY_COMPARE(h.quits, 1);
        QVERIFY(!h.busyAtQuit);
        h.form.reset();
        QCOMPARE(h.LogMessages().back(), std::string("Stop programu"));
    }

    void menuOfTheConfigurationPages() {
        WindowHarness h;
        TForm1& form = h.Start();
        QMenu* menu = form.StatusIcon1().Menu();
        for (int page : {1, 2}) {
            QWidget* sheet = form.Ui().TabSheets[page];
            form.Ui().PageControl1->setCurrentIndex(page);
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(300, 200),
                                    sheet->mapToGlobal(QPoint(300, 200)));
            QApplication::sendEvent(sheet, &click);
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
        }
        // The control page keeps its own behaviour.
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(100, 200),
                                form.Ui().TabSheets[0]->mapToGlobal(QPoint(100, 200)));
        QApplication::sendEvent(form.Ui().TabSheets[0], &click);
        QVERIFY(!menu->isVisible());

        // "Konec" of that menu asks for the close confirmation.
        h.messages.clear();
        menu->actions().back()->trigger();
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text, std::string(kCloseQuestion));
        QVERIFY(form.isVisible());
    }

    void restartQuestionLeadsToTheCloseConfirmation() {
        WindowHarness h;
        TForm1& form = h.Start();
        h.messages.clear();
        h.replies = {MessageAnswer::Yes, MessageAnswer::No};
        form.Ui().BitBtn8->click();
        QCOMPARE(h.messages.size(), std::size_t{2});
        QCOMPARE(h.messages[0].text, std::string(kRestartQuestion));
        QCOMPARE(h.messages[0].caption, std::string("Varování"_cp));
        QCOMPARE(h.messages[0].icon, MessageIcon::Warning);
        QCOMPARE(h.messages[0].buttons, MessageButtons::YesNo);
        QVERIFY(h.messages[0].owned);
        QCOMPARE(h.messages[1].text, std::string(kCloseQuestion));
        QVERIFY(!form.QuitRequested());

        h.replies = {MessageAnswer::Yes, MessageAnswer::Yes};
        form.Ui().BitBtn5->click();
        QTRY_COMPARE(h.quits, 1);
    }

    void savedAddressKeepsItsLowByte() {
        WindowHarness h;
        h.Start();
        h.form->Ui().Adr[0]->setText(QStringLiteral("300"));
        h.form->Ui().BitBtn5->click();
        QCOMPARE(h.CountMessages(kRestartQuestion), 1);
        QCOMPARE(int(StoredRecord(h.IniPath()).Slots[0].Address), 44);
        h.form.reset();
        h.Start();
        QCOMPARE(h.form->Ui().Adr[0]->text(), QStringLiteral("44"));
    }

    void aFieldThatIsNoNumberStopsTheSave_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty capacity") << QStringLiteral("Radku1") << QString();
        QTest::newRow("breakfasts") << QStringLiteral("MxSn1") << QStringLiteral("abc");
        QTest::newRow("address 3") << QStringLiteral("Adr3") << QStringLiteral("1.5");
        QTest::newRow("dinners") << QStringLiteral("MxVec1") << QStringLiteral("čtyři");
    }
    void aFieldThatIsNoNumberStopsTheSave() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        WindowHarness h;
        TForm1& form = h.Start();
        const auto before = read_file(h.IniPath());
        h.messages.clear();
        form.findChild<QLineEdit*>(field)->setText(text);
        form.Ui().BitBtn5->click();
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text,
                 "''" + cp1250_from_utf8(text.toStdString()) + "'' is not a valid integer value");
        QCOMPARE(h.messages[0].icon, MessageIcon::Error);
        QCOMPARE(read_file(h.IniPath()), before);
    }

    void aFileThatCannotBeWrittenIsReported() {
        WindowHarness h;
        TForm1& form = h.Start();
        // Where the file was, a directory: nothing can be written there.
        QVERIFY(remove_file(h.IniPath()));
        QVERIFY(QDir().mkpath(QString::fromStdString(h.IniPath())));
        h.messages.clear();
        form.Ui().BitBtn5->click();
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text, "Unable to write to " + h.IniPath());
        QCOMPARE(h.messages[0].icon, MessageIcon::Error);
        QCOMPARE(h.CountMessages(kRestartQuestion), 0);
    }

    // Every configuration control changed as the operator would, saved, the
    // file read back, the restart question; after the restart the pages show
    // what was saved.
    void everyConfigurationControlSurvivesTheSave() {
        WindowHarness h;
        QVERIFY(QDir().mkpath(QString::fromStdString(h.Root() + "/jina-data")));
        const ConfigurationEdits changes =
            EveryConfigurationControlChanged(h.Root() + "/jina-data");
        QCOMPARE(ControlsLeftOut(changes), std::vector<std::string>{});
        TForm1& form = h.Start();
        for (const ControlEdit& edit : changes.edits) {
            QWidget* control = form.findChild<QWidget*>(QString::fromStdString(edit.control));
            switch (edit.how) {
            case ControlEdit::How::Text:
                qobject_cast<QLineEdit*>(control)->setText(QtFromCp(edit.text));
                break;
            case ControlEdit::How::Check:
                qobject_cast<QCheckBox*>(control)->setChecked(edit.checked);
                break;
            case ControlEdit::How::Select:
                qobject_cast<QComboBox*>(control)->setCurrentIndex(edit.index);
                break;
            }
        }
        QCOMPARE(form.Attempts(), 5); // at once, before any save
        h.messages.clear();
        h.replies = {MessageAnswer::No}; // no restart now
        form.Ui().BitBtn8->click();
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text, std::string(kRestartQuestion));
        QCOMPARE(SavedOtherwise(h.IniPath(), changes.expected), std::vector<std::string>{});

        h.form.reset();
        TForm1& again = h.Start();
        for (const ControlEdit& edit : changes.edits) {
            QWidget* control = again.findChild<QWidget*>(QString::fromStdString(edit.control));
            switch (edit.how) {
            case ControlEdit::How::Text:
                QCOMPARE(qobject_cast<QLineEdit*>(control)->text(), QtFromCp(edit.text));
                break;
            case ControlEdit::How::Check:
                QCOMPARE(qobject_cast<QCheckBox*>(control)->isChecked(), edit.checked);
                break;
            case ControlEdit::How::Select:
                QCOMPARE(qobject_cast<QComboBox*>(control)->currentIndex(), edit.index);
                break;
            }
        }
        QCOMPARE(again.Attempts(), 5);
        QVERIFY(!again.EndJobOnFailure());
    }

    void aLongFileNameIsCutToTwelveCharacters() {
        WindowHarness h;
        h.Start().Ui().InSoubor->setText(QStringLiteral("pozadavky_terminalu.cfg"));
        h.form->Ui().BitBtn8->click();
        h.form.reset();
        QCOMPARE(h.Start().Ui().InSoubor->text(), QStringLiteral("pozadavky_te"));
    }

    void storedIndexesOutsideTheirListsSelectNothing() {
        WindowHarness h(Terminal::None, [](StoredSettings& s) {
            s.Record.BaudIndex = 7;
            s.Record.DelayAddIndex = 200;
            s.Record.RepWriteIndex = 12;
            s.Record.Slots[1].ComIndex = 40;
        });
        const Controls& ui = h.Start().Ui();
        QCOMPARE(ui.K_Baud1->currentIndex(), -1);
        QCOMPARE(ui.Delay_add->currentIndex(), -1);
        QCOMPARE(ui.Rep_write->currentIndex(), -1);
        QCOMPARE(ui.Port[1]->currentIndex(), -1);
        QCOMPARE(h.form->Attempts(), 1);
    }

    void eventLogPageComesAndGoes() {
        WindowHarness h;
        TForm1& form = h.Start();
        QTabWidget* tabs = form.Ui().PageControl1;
        tabs->setCurrentIndex(2);
        QVERIFY(!tabs->isTabVisible(4));
        form.Ui().BitBtn7->click();
        QVERIFY(tabs->isTabVisible(4));
        QCOMPARE(tabs->currentIndex(), 4);
        QVERIFY(form.Ui().Memo2->toPlainText().contains(QStringLiteral(" - Start programu\n")));
        QVERIFY(!form.Ui().Memo2->toPlainText().contains(QLatin1Char('\r')));

        form.Ui().JvXPButton6->click(); // "Vymazat obsah"
        QVERIFY(form.Ui().Memo2->toPlainText().isEmpty());
        QCOMPARE(read_file(join_path(h.Root(), "errorlog.txt")), std::string());
        QCOMPARE(tabs->currentIndex(), 4);

        form.Ui().JvXPButton5->click(); // "   Zpět"
        QVERIFY(!tabs->isTabVisible(4));
        QCOMPARE(tabs->currentIndex(), 2);
    }

    void anUnreadableLogIsReportedAndThePageStays() {
        WindowHarness h;
        TForm1& form = h.Start();
        form.Ui().PageControl1->setCurrentIndex(2);
        QVERIFY(remove_file(join_path(h.Root(), "errorlog.txt")));
        h.messages.clear();
        form.Ui().BitBtn7->click();
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text,
                 "Cannot open file \"" + join_path(h.Root(), "errorlog.txt") + "\".");
        QCOMPARE(h.messages[0].icon, MessageIcon::Error);
        QCOMPARE(form.Ui().PageControl1->currentIndex(), 2);
        QVERIFY(!form.Ui().PageControl1->isTabVisible(4));
    }

    void anErrorInAHandlerIsShownAndTheWindowRunsOn() {
        WindowHarness h;
        TForm1& form = h.Start();
        h.messages.clear();
        h.chooseDirectory = []() -> std::optional<QString> {
            throw std::runtime_error("Disk neni pripraven");
        };
        QTest::mouseDClick(form.Ui().Path_data, Qt::LeftButton);
        QCOMPARE(h.messages.size(), std::size_t{1});
        QCOMPARE(h.messages[0].text, std::string("Disk neni pripraven"));
        QCOMPARE(h.messages[0].icon, MessageIcon::Error);

        h.chooseDirectory = [] { return std::optional<QString>(QStringLiteral("/srv/kelmora")); };
        QTest::mouseDClick(form.Ui().Path_data, Qt::LeftButton);
        QCOMPARE(form.Ui().Path_data->text(), QStringLiteral("/srv/kelmora"));
    }

    void progressBalloonsDoNotFloodTheDesktop() {
        WindowHarness h;
        TForm1& form = h.Start();
        QTest::qWait(600); // the start balloon has had its time
        const int before = form.StatusIcon1().BalloonsShown();
        h.balloons.clear();
        for (int i = 1; i <= 50; ++i) {
            form.ShowBalloon("Odesílání"_cp, std::to_string(i) + "/50", 200);
        }
        QCOMPARE(h.balloons.size(), std::size_t{50}); // the window shows every one
        QCOMPARE(form.StatusIcon1().BalloonsShown(), before + 1);
        QCOMPARE(form.StatusIcon1().LastBalloonText(), QStringLiteral("1/50"));
        QTRY_COMPARE(form.StatusIcon1().BalloonsShown(), before + 2);
        QCOMPARE(form.StatusIcon1().LastBalloonText(), QStringLiteral("50/50"));
    }

    void aBalloonGoesAfterItsTimeWhereverThePointerIs() {
        WindowHarness h;
        TForm1& form = h.Start();
        QTRY_VERIFY(!form.StatusIcon1().BalloonOnScreen()); // the start balloon has had its time
        QBalloonTip balloon;
        balloon.show();
        balloon.setAttribute(Qt::WA_UnderMouse); // Qt's balloon would wait for the pointer
        form.ShowBalloon("Kelmora 2013", "Start programu", 500);
        QVERIFY(form.StatusIcon1().BalloonOnScreen());
        QTest::qWait(250);
        QVERIFY(balloon.isVisible()); // not before its time
        QTRY_VERIFY(!balloon.isVisible());
        QVERIFY(!form.StatusIcon1().BalloonOnScreen());
    }

    void aPressWhileTheWatcherIsBusyIsTold() {
        WindowHarness h;
        TForm1& form = h.Start(true, false); // no watcher: the test sets its flag
        std::atomic<bool>& watcherBusy = form.GetEngine().Flags().WatcherBusy;
        watcherBusy = true;
        for (QPushButton* button : {form.Ui().BitBtn1, form.Ui().BitBtn6}) {
            form.StatusBar1()->ClearNote();
            button->click();
            QVERIFY2(form.StatusBar1()->Note().startsWith(
                         QStringLiteral("Program právě kontroluje soubor požadavků")),
                     qPrintable(button->objectName()));
            QCOMPARE(form.cursor().shape(), Qt::BusyCursor);
        }
        QCOMPARE(h.commandFileDialogs, 0);

        watcherBusy = false;
        QTRY_COMPARE(form.cursor().shape(), Qt::ArrowCursor);
        form.StatusBar1()->ClearNote();
        form.Ui().BitBtn1->click();
        QCOMPARE(h.commandFileDialogs, 1);
        QVERIFY(form.StatusBar1()->Note().isEmpty());
    }

    void doubtfulValuesAreSavedOnlyWhenTheOperatorAgrees_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text"); // %1: the test's directory
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("empty data path")
            << QStringLiteral("Path_data") << QString()
            << QStringLiteral("Cesta (PATH) pro souborové operace je prázdná.")
            << QStringLiteral("Uložení konfigurace: prázdná cesta pro soubory");
        QTest::newRow("missing directory")
            << QStringLiteral("Path_data") << QStringLiteral("%1/chybí")
            << QStringLiteral("Cesta (PATH) pro souborové operace není existující adresář:")
            << QStringLiteral("Uložení konfigurace: cesta pro soubory není adresář: %1/chybí");
        QTest::newRow("a file, not a directory")
            << QStringLiteral("Path_data") << QStringLiteral("%1/kelmora.ini")
            << QStringLiteral("Cesta (PATH) pro souborové operace není existující adresář:")
            << QStringLiteral("Uložení konfigurace: cesta pro soubory není adresář: "
                              "%1/kelmora.ini");
        QTest::newRow("empty output file name")
            << QStringLiteral("OutSoubor") << QString()
            << QStringLiteral("Jméno souboru výstupu z terminálu je prázdné.")
            << QStringLiteral("Uložení konfigurace: prázdné jméno souboru výstupu");
        QTest::newRow("empty request file name")
            << QStringLiteral("InSoubor") << QString()
            << QStringLiteral("Jméno souboru požadavků na terminál je prázdné.")
            << QStringLiteral("Uložení konfigurace: prázdné jméno souboru požadavků");
    }
    void doubtfulValuesAreSavedOnlyWhenTheOperatorAgrees() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, question);
        QFETCH(QString, logLine);
        WindowHarness h;
        TForm1& form = h.Start();
        const QString root = QString::fromStdString(h.Root());
        form.findChild<QLineEdit*>(field)->setText(
            text.contains(QStringLiteral("%1")) ? text.arg(root) : text);
        const std::string expectedLog =
            CpFromQt(logLine.contains(QStringLiteral("%1")) ? logLine.arg(root) : logLine);
        const auto before = read_file(h.IniPath());

        h.messages.clear();
        h.replies = {MessageAnswer::No};
        form.Ui().BitBtn8->click();
        QCOMPARE(h.messages.size(), std::size_t{1});
        QVERIFY2(h.messages[0].text.rfind(CpFromQt(question), 0) == 0, h.messages[0].text.c_str());
        QCOMPARE(h.messages[0].icon, MessageIcon::Warning);
        QCOMPARE(h.messages[0].buttons, MessageButtons::YesNo);
        QCOMPARE(read_file(h.IniPath()), before);
        QCOMPARE(LastLogMessage(h), expectedLog + std::string(" - neuloženo"_cp));

        h.messages.clear();
        h.replies = {MessageAnswer::Yes, MessageAnswer::No};
        form.Ui().BitBtn8->click();
        QCOMPARE(h.messages.size(), std::size_t{2});
        QCOMPARE(h.messages[1].text, std::string(kRestartQuestion));
        QVERIFY(read_file(h.IniPath()) != before);
        QCOMPARE(LastLogMessage(h), expectedLog + std::string(" - uloženo na přání obsluhy"_cp));
    }

    void markParityIsSetByTheEngineWithTheValueInForce() {
        WindowHarness h;
        TForm1& form = h.Start();
        QVERIFY(!MarkParity);
        QVERIFY(!form.GetEngine().Config().MarkParity);
        form.Ui().Mark1->setChecked(true);

        form.Ui().OutSoubor->clear(); // a save the operator then refuses
        h.replies = {MessageAnswer::No};
        form.Ui().BitBtn5->click();
        QVERIFY(!MarkParity);
        QVERIFY(!form.GetEngine().Config().MarkParity);

        form.Ui().OutSoubor->setText(QStringLiteral("output.txt"));
        form.Ui().BitBtn5->click();
        QCOMPARE(h.CountMessages(kRestartQuestion), 1);
        QVERIFY(MarkParity);
        QVERIFY(form.GetEngine().Config().MarkParity);
    }

    void directoryDialogOpensAtTheFieldsDirectory() {
        QTemporaryDir dir;
        const QString start = QDir(dir.path()).filePath(QStringLiteral("data/kelmora/vstup"));
        QVERIFY(QDir().mkpath(start));
        const MessageAnswerer ask = [](QWidget*, const MessageBox&) { return MessageAnswer::Ok; };
        for (const QString& typed : {start, start + QStringLiteral("/nový/adresář")}) {
            DirectoryDialog dialog(nullptr, typed, ask);
            auto* tree = dialog.findChild<QTreeView*>();
            const auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            // The model reads the directories on its own thread and sorts each
            // once read: look when every one above the start has been read.
            QStringList loaded;
            connect(model, &QFileSystemModel::directoryLoaded,
                    [&loaded](const QString& path) { loaded << QDir::cleanPath(path); });
            dialog.show();
            for (QString up = QFileInfo(start).path();; up = QFileInfo(up).path()) {
                QTRY_VERIFY2(loaded.contains(up), qPrintable(up));
                if (QDir(up).isRoot()) {
                    break;
                }
            }
            QTest::qWait(300);                                      // their sorting
            QCOMPARE(model->filePath(tree->currentIndex()), start); // a new one: its parent
            for (QModelIndex up = tree->currentIndex().parent(); up.isValid(); up = up.parent()) {
                QVERIFY2(tree->isExpanded(up), qPrintable(model->filePath(up)));
            }
            QTRY_VERIFY(
                tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()).center()));
            QCOMPARE(dialog.findChild<QLineEdit*>()->text(), QDir::toNativeSeparators(typed));
        }
        QCOMPARE(NearestDirectory(QString()), QDir::currentPath());
    }

    void aNewDirectoryIsCreatedAfterAsking() {
        QTemporaryDir dir;
        MessageAnswer reply = MessageAnswer::No;
        std::vector<std::string> texts;
        const MessageAnswerer ask = [&](QWidget*, const MessageBox& box) {
            texts.emplace_back(box.text);
            return box.buttons == MessageButtons::YesNo ? reply : MessageAnswer::Ok;
        };
        const QString fresh = dir.path() + QStringLiteral("/data/nova");
        QVERIFY(!ConfirmDirectory(nullptr, fresh, ask));
        QCOMPARE(texts.size(), std::size_t{1});
        QVERIFY(!QFileInfo::exists(fresh));

        reply = MessageAnswer::Yes;
        QCOMPARE(ConfirmDirectory(nullptr, fresh, ask), std::optional<QString>(fresh));
        QVERIFY(QFileInfo(fresh).isDir());
        QCOMPARE(texts.size(), std::size_t{2});

        // An existing directory is taken without asking; a file is refused.
        QCOMPARE(ConfirmDirectory(nullptr, fresh, ask), std::optional<QString>(fresh));
        QCOMPARE(texts.size(), std::size_t{2});
        const QString file = dir.path() + QStringLiteral("/soubor.txt");
        QVERIFY(write_file(file.toStdString(), "x"));
        QVERIFY(!ConfirmDirectory(nullptr, file, ask));
        QCOMPARE(texts.size(), std::size_t{3});
    }
};

KELMORA_GUI_TEST_MAIN(WindowHandlers)
#include "test_window_handlers.moc"
