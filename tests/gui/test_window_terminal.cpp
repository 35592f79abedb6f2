// The window against a simulated terminal T1 (SLAVE, address 1, on COM1):
// the hidden start and the notification area, request files while hidden,
// the command line with Enter, the quick buttons, the command file, the
// clock, the indicators, and what the buttons do while a job runs.
#include "GuiTestMain.h"
#include "WindowHarness.h"
#include "shell/window/Indicator.h"
#include "shell/window/StatusPanels.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>

using namespace kelmora;
using namespace kelmora::literals;
using namespace kelmora::testing;

namespace {

constexpr int kJobMs = 15000; // a bound that only stops a hang

QStringList Lines(const TForm1& form) {
    QStringList lines;
    for (int i = 0; i < form.Ui().Memo1->count(); ++i) {
        lines << form.Ui().Memo1->item(i)->text();
    }
    return lines;
}

// The result of the S command of terminal 1: one S line, its clock and its
// identification.
bool ShowsSLine(const TForm1& form) {
    const QStringList lines = Lines(form);
    return lines.size() == 1 && lines.first().startsWith(QLatin1Char('S')) &&
           lines.first().endsWith(QStringLiteral("TOBRIN SIM 1"));
}

std::uint64_t FramesReceived(const WindowHarness& h) {
    return h.simulator->state(1)->counters.frames_received;
}

// Calls `during` once from inside the next job, while its serial waits keep
// the window's events flowing.
class InsideTheJob {
public:
    InsideTheJob(TForm1& form, std::function<void()> during) : during_(std::move(during)) {
        QObject::connect(&timer_, &QTimer::timeout, [this, &form] {
            if (!done_ && form.GetEngine().Busy()) {
                done_ = true;
                during_();
            }
        });
        timer_.start(0);
    }
    bool Done() const { return done_; }

private:
    QTimer timer_;
    std::function<void()> during_;
    bool done_ = false;
};

} // namespace

class WindowWithTerminal : public QObject {
    Q_OBJECT

private slots:
    void startsHiddenAndTheIconShowsTheControlPage() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        QVERIFY(!form.isVisible());
        QVERIFY(h.messages.empty());
        QCOMPARE(form.IndicatorOf(0).State(), IndicatorState::Slave);
        QCOMPARE(form.IndicatorOf(0).Square()->Colour(), QColor(0x00, 0xff, 0xff));
        QVERIFY(!form.IndicatorOf(0).Square()->isHidden());

        form.Ui().PageControl1->setCurrentIndex(2);
        emit form.StatusIcon1().Icon()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(form.isVisible());
        QCOMPARE(form.Ui().PageControl1->currentIndex(), 0);
        // A single click is not a double click.
        form.Ui().PageControl1->setCurrentIndex(3);
        emit form.StatusIcon1().Icon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(form.Ui().PageControl1->currentIndex(), 3);
        // "Zobrazit program" keeps the page of a window on the screen, and
        // opens a hidden one on its first page.
        QAction* show = form.StatusIcon1().Menu()->actions().at(0);
        show->trigger();
        QCOMPARE(form.Ui().PageControl1->currentIndex(), 3);
        form.Ui().BitBtn2->click(); // "Schovat program"
        QVERIFY(!form.isVisible());
        show->trigger();
        QVERIFY(form.isVisible());
        QCOMPARE(form.Ui().PageControl1->currentIndex(), 0);
    }

    void aRequestFileIsProcessedWhileHidden() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        form.Form().Show_windowClick();
        QVERIFY(form.isVisible());
        form.Ui().BitBtn2->click(); // "Schovat program"
        QVERIFY(!form.isVisible());
        QVERIFY(write_file(h.DataFile("request.cfg"), "TERM1\r\nS\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(read_file(h.DataFile("rexcom.sta")) == "1,1\r\n", kJobMs);
        QVERIFY(!file_exists(h.DataFile("request.cfg")));
        QVERIFY(ShowsSLine(form));
        QCOMPARE(form.StatusBar1()->Text(1), QStringLiteral("1,1"));
        QVERIFY(!form.isVisible());
    }

    void withoutANotificationAreaTheWindowStaysReachable() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start(false);
        QVERIFY(form.isVisible());
        form.Ui().BitBtn2->click(); // "Schovat program"
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
        QVERIFY(form.StatusBar1()->Note().contains(QStringLiteral("oznamovací oblasti")));
    }

    void enterSendsOnlyOnceTheCommandLineHasChanged() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        form.Form().Show_windowClick();
        const std::uint64_t before = FramesReceived(h);
        QTest::keyClick(form.Ui().Edit1, Qt::Key_Return);
        QCOMPARE(FramesReceived(h), before); // not even the re-test of an empty line
        QVERIFY(!form.Ui().BitBtn4->isDefault());
        QCOMPARE(form.Ui().Memo1->count(), 0);

        QTest::keyClicks(form.Ui().Edit1, QStringLiteral("S"));
        QVERIFY(form.Ui().BitBtn4->isDefault());
        QTest::keyClick(form.Ui().Edit1, Qt::Key_Return);
        QVERIFY(ShowsSLine(form));
        QCOMPARE(read_file(h.DataFile("rexcom.sta")), std::string("1,1\r\n"));
        QVERIFY(read_file(h.DataFile("output.txt")).value_or("").rfind("S", 0) == 0);
    }

    // Enter sends only from the command line; on a focused button it presses
    // that button; anywhere else it does nothing.
    void enterElsewhereSendsNothing() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        form.Form().Show_windowClick();
        form.Ui().Edit1->setText(QStringLiteral("S"));
        QVERIFY(form.Ui().BitBtn4->isDefault());
        const std::uint64_t before = FramesReceived(h);
        for (QWidget* field : std::initializer_list<QWidget*>{
                 form.Ui().Adr[0], form.Ui().Radku1, form.Ui().Mark1, form.Ui().K_Baud1,
                 form.Ui().InSoubor, form.Ui().Path_data}) {
            QTest::keyClick(field, Qt::Key_Return);
        }
        h.messages.clear();
        QTest::keyClick(form.Ui().BitBtn5, Qt::Key_Return); // "Uložit CFG"
        QCOMPARE(h.CountMessages("Nastavená konfigurace bude použita až po restartu programu!\n"
                                 "Provést restart programu ihned?"_cp),
                 1);
        QCOMPARE(FramesReceived(h), before);
        QCOMPARE(form.Ui().Memo1->count(), 0);
        QVERIFY(!file_exists(h.DataFile("rexcom.sta")));

        QTest::keyClick(form.Ui().SpeedButtons[2], Qt::Key_Enter); // "S"
        QVERIFY(ShowsSLine(form));
    }

    void theSendButtonWithAnEmptyLineRetests() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        QCOMPARE(form.IndicatorOf(0).State(), IndicatorState::Slave);
        sim::Faults silent;
        silent.silent_after = 0;
        QVERIFY(h.simulator->set_faults(1, silent));
        form.Ui().BitBtn4->click();
        QCOMPARE(form.IndicatorOf(0).State(), IndicatorState::NotConnected);
        QCOMPARE(form.IndicatorOf(0).Square()->Colour(), QColor(0xff, 0x00, 0x00));
        QCOMPARE(form.IndicatorOf(0).Icon()->Image(), 2);
        QVERIFY(!file_exists(h.DataFile("rexcom.sta")));
        QVERIFY(!file_exists(h.DataFile("output.txt")));
    }

    void quickButtonSShowsTheSLine() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        int imageDuringJob = -1;
        InsideTheJob probe(form, [&] { imageDuringJob = form.StatusIcon1().Image(); });
        form.Ui().SpeedButtons[2]->click();
        QVERIFY(ShowsSLine(form));
        QCOMPARE(imageDuringJob, 1);
        QCOMPARE(form.StatusIcon1().Image(), 0);
        QCOMPARE(form.StatusBar1()->Text(1), QStringLiteral("1,1"));
        QCOMPARE(read_file(h.DataFile("rexcom.sta")), std::string("1,1\r\n"));
    }

    void aButtonPressedDuringAJobStartsNothing() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        std::uint64_t mark = FramesReceived(h);
        form.Ui().SpeedButtons[2]->click();
        QVERIFY(ShowsSLine(form));
        const std::uint64_t framesOfOneJob = FramesReceived(h) - mark;
        const int linesOfOneJob = form.Ui().Memo1->count();
        QVERIFY(framesOfOneJob > 0);

        // The same job again, with every job button pressed inside it: each
        // says that it started nothing, and the cursor shows the program busy.
        h.commandFile = h.DataFile("commands.cfg");
        QVERIFY(write_file(*h.commandFile, "Y\r\n"));
        QStringList notes;
        auto note = [&] {
            notes << form.StatusBar1()->Note();
            form.StatusBar1()->ClearNote(); // the next press must write its own
        };
        Qt::CursorShape cursorDuringJob = Qt::ArrowCursor;
        InsideTheJob probe(form, [&] {
            form.Ui().Edit1->setText(QStringLiteral("O00"));
            form.Ui().BitBtn4->click();
            note();
            for (QToolButton* quick : form.Ui().SpeedButtons) {
                quick->click();
                note();
            }
            form.Ui().BitBtn6->click(); // the clock
            note();
            form.Ui().BitBtn1->click(); // a command file
            note();
            form.Ui().Edit1->clear();
            form.Ui().BitBtn4->click(); // the re-test of an empty line
            note();
            cursorDuringJob = form.cursor().shape();
        });
        mark = FramesReceived(h);
        form.Ui().SpeedButtons[2]->click();
        QVERIFY(probe.Done());
        QCOMPARE(FramesReceived(h) - mark, framesOfOneJob);
        QCOMPARE(h.commandFileDialogs, 0);
        QVERIFY(ShowsSLine(form));
        QCOMPARE(form.Ui().Memo1->count(), linesOfOneJob);
        QCOMPARE(notes.size(), 8);
        for (const QString& text : notes) {
            QVERIFY2(text.startsWith(QStringLiteral("Probíhá jiná úloha")), qPrintable(text));
        }
        QCOMPARE(cursorDuringJob, Qt::BusyCursor);

        // Free again: the cursor is the normal one and a button works at once.
        QTRY_COMPARE(form.cursor().shape(), Qt::ArrowCursor);
        mark = FramesReceived(h);
        form.Ui().SpeedButtons[2]->click();
        QCOMPARE(FramesReceived(h) - mark, framesOfOneJob);
    }

    void aCloseConfirmedDuringAJobWaitsForItsEnd() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        h.replies = {MessageAnswer::Yes};
        InsideTheJob probe(form, [&] { form.close(); });
        form.Ui().SpeedButtons[2]->click();
        QVERIFY(probe.Done());
        QVERIFY(form.QuitRequested());
        QVERIFY(ShowsSLine(form)); // the job ran to its end
        QCOMPARE(read_file(h.DataFile("rexcom.sta")), std::string("1,1\r\n"));
        QTRY_COMPARE(h.quits, 1);
        QVERIFY(!h.busyAtQuit);
        h.form.reset();
        QCOMPARE(h.LogMessages().back(), std::string("Stop programu"));
    }

    void commandFileRunsFromTheChosenFile() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        form.Ui().BitBtn1->click(); // cancelled
        QCOMPARE(h.commandFileDialogs, 1);
        QVERIFY(!file_exists(h.DataFile("rexcom.sta")));

        h.commandFile = h.DataFile("commands.cfg");
        QVERIFY(write_file(*h.commandFile, "O00\r\nS\r\n"));
        form.Ui().BitBtn1->click();
        QCOMPARE(h.commandFileDialogs, 2);
        QVERIFY(ShowsSLine(form));
        QCOMPARE(read_file(h.DataFile("rexcom.sta")), std::string("2,1\r\n"));
    }

    void clockButtonSetsTheTerminalsClock() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        form.Ui().Memo1->addItem(QStringLiteral("earlier result"));
        const std::uint64_t before = FramesReceived(h);
        form.Ui().BitBtn6->click();
        QVERIFY(FramesReceived(h) > before);
        QCOMPARE(read_file(h.DataFile("rexcom.sta")), std::string("1,0\r\n"));
        QCOMPARE(Lines(form), QStringList{QStringLiteral("earlier result")});
    }

    void indicatorClickShowsTheWatchdog() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        form.Form().Show_windowClick();
        h.balloons.clear();
        QTest::mouseClick(form.IndicatorOf(0).Icon(), Qt::LeftButton);
        QCOMPARE(h.balloons.size(), std::size_t{1});
        QCOMPARE(h.balloons[0].title, QStringLiteral("Status WDT"));
        QVERIFY(h.balloons[0].text.startsWith(QStringLiteral("WDT: ")));
        bool number = false;
        h.balloons[0].text.mid(5).toInt(&number);
        QVERIFY(number);
        QCOMPARE(h.balloons[0].timeoutMs, 500);
        form.Form().TerminalIndicatorClick(1); // T2 is not connected: its icon never shows
        QCOMPARE(h.balloons.size(), std::size_t{1});
    }

    void watcherDisplayFollowsItsTicks() {
        WindowHarness h(Terminal::Slave);
        TForm1& form = h.Start();
        QTRY_VERIFY_WITH_TIMEOUT(form.Ui().ProgressBar1->value() > 0, 5000);
    }
};

KELMORA_GUI_TEST_MAIN(WindowWithTerminal)
#include "test_window_terminal.moc"
