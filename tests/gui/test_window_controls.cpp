// Every control of the main window by its component name, kind and text, and
// the window's frame, tabs, status bar, notification-area menu and fonts.
#include "GuiTestMain.h"
#include "WindowHarness.h"
#include "shell/window/Indicator.h"
#include "shell/window/Led.h"
#include "shell/window/StatusPanels.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

QString Kind(const QObject* object) {
    if (dynamic_cast<const Led*>(object) != nullptr) {
        return QStringLiteral("Led");
    }
    return QString::fromLatin1(object->metaObject()->className());
}

// The caption, text or list entries ("|" between entries) of a control.
QString TextOf(const QObject* object) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(object)) {
        return b->text();
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(object)) {
        return g->title();
    }
    if (const auto* l = qobject_cast<const QLabel*>(object)) {
        return l->text();
    }
    if (const auto* e = qobject_cast<const QLineEdit*>(object)) {
        return e->text();
    }
    if (const auto* c = qobject_cast<const QComboBox*>(object)) {
        QStringList items;
        for (int i = 0; i < c->count(); ++i) {
            items << c->itemText(i);
        }
        return items.join(QLatin1Char('|'));
    }
    return QString();
}

QString Numbers(int first, int last, int step, const QString& prefix = QString()) {
    QStringList items;
    for (int i = first; i <= last; i += step) {
        items << prefix + QString::number(i);
    }
    return items.join(QLatin1Char('|'));
}

const QString kAny = QStringLiteral("*");

} // namespace

class WindowControls : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowHarness> harness;
    TForm1* form = nullptr;

private slots:
    void initTestCase() {
        harness = std::make_unique<WindowHarness>();
        form = &harness->Start();
    }
    void cleanupTestCase() { harness.reset(); }

    void everyControl_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("buddy");
        auto row = [](const char* name, int page, const char* kind, const QString& text,
                      const QString& hint = QString(), const char* buddy = "") {
            QTest::newRow(name) << page << QString::fromLatin1(kind) << text << hint
                                << QString::fromLatin1(buddy);
        };
        // "Ovládání terminálu"
        row("Terminaly1", 0, "QFrame", kAny);
        row("Selekt", 0, "QGroupBox", QStringLiteral("Terminál"));
        for (int i = 1; i <= 4; ++i) {
            row(qPrintable(QStringLiteral("Selekt_T%1").arg(i)), 0, "QRadioButton",
                QStringLiteral("T%1").arg(i));
        }
        row("Label29", 0, "QLabel", QStringLiteral("Příkazový řádek:"), {}, "Edit1");
        row("Edit1", 0, "QLineEdit", QString());
        row("BitBtn4", 0, "QPushButton", QStringLiteral("Odeslat příkaz"));
        row("SpeedButton1", 0, "QToolButton", QStringLiteral("00"), QStringLiteral("příkaz O00"));
        row("SpeedButton2", 0, "QToolButton", QStringLiteral("11"), QStringLiteral("Příkaz O11"));
        row("SpeedButton3", 0, "QToolButton", QStringLiteral("S"), QStringLiteral("Příkaz S"));
        row("SpeedButton4", 0, "QToolButton", QStringLiteral("Y"), QStringLiteral("Příkaz Y"));
        row("ProgressBar1", 0, "QProgressBar", kAny, QStringLiteral("WDT thread"));
        row("JvLED1", 0, "Led", kAny, QStringLiteral("Pracuji!!!"));
        row("BitBtn1", 0, "QPushButton", QStringLiteral("Příkazy ze souboru"));
        row("BitBtn2", 0, "QPushButton", QStringLiteral("Schovat program"));
        row("BitBtn3", 0, "QPushButton", QStringLiteral("Ukončení programu"));
        row("Label17", 0, "QLabel", QStringLiteral("Výsledek operace s navoleným terminálem:"), {},
            "Memo1");
        row("Memo1", 0, "QListWidget", kAny);

        // "Konfigurace terminálů"
        for (int i = 1; i <= 4; ++i) {
            const QString n = QString::number(i);
            const bool first = i == 1;
            row(qPrintable(QStringLiteral("GroupBox") + n), 1, "QGroupBox",
                QStringLiteral("Terminál ") + n);
            row(qPrintable(QStringLiteral("Adr") + n), 1, "QLineEdit", kAny,
                first ? QStringLiteral("Fyzická adresa terminálu (např. 1,2,15...)") : QString());
            row(qPrintable(QStringLiteral("LabelAdr") + n), 1, "QLabel", QStringLiteral("Adresa"),
                {},
                first    ? "Adr1"
                : i == 2 ? "Adr2"
                : i == 3 ? "Adr3"
                         : "Adr4");
            row(qPrintable(QStringLiteral("Port") + n), 1, "QComboBox",
                Numbers(1, 32, 1, QStringLiteral("COM")),
                first ? QStringLiteral("Komunikační port RS232 na počítači (COM1, COM2...)")
                      : QString());
            row(qPrintable(QStringLiteral("LabelPort") + n), 1, "QLabel", QStringLiteral("Port"),
                {},
                first    ? "Port1"
                : i == 2 ? "Port2"
                : i == 3 ? "Port3"
                         : "Port4");
            row(qPrintable(QStringLiteral("Pripojen") + n), 1, "QCheckBox",
                QStringLiteral("Připojen"),
                first ? QStringLiteral("Povolení komunikace s tímto terminálem, pokud není "
                                       "zatržen, tak nebude komunikovat.")
                      : QString());
        }
        row("K_Baud1", 1, "QComboBox", QStringLiteral("1200|2400|4800|9600|19200"),
            QStringLiteral("Rychlost komunikace"));
        row("Label13", 1, "QLabel", QStringLiteral("Rychlost BAUD"), {}, "K_Baud1");
        row("Mark1", 1, "QCheckBox", QStringLiteral("Parita MARK"));
        row("CCode1", 1, "QCheckBox", QStringLiteral("Kódování"));
        row("DT_use1", 1, "QCheckBox", QStringLiteral("Používat DT"));
        row("Kredit1", 1, "QCheckBox", QStringLiteral("Kredit"));
        row("Radku1", 1, "QLineEdit", kAny,
            QStringLiteral("Maximální počet lidí pro tento terminál"));
        row("Label14", 1, "QLabel", QStringLiteral("Kapacita"), {}, "Radku1");
        row("MxSn1", 1, "QLineEdit", kAny);
        row("Label15", 1, "QLabel", QStringLiteral("Max. p. snidaní"), {}, "MxSn1");
        row("MxVec1", 1, "QLineEdit", kAny);
        row("Label16", 1, "QLabel", QStringLiteral("Max. p. večeří"), {}, "MxVec1");
        row("BitBtn5", 1, "QPushButton", QStringLiteral("Uložit CFG"));

        // "Servisní nastavení"
        row("Rep_write", 2, "QComboBox", Numbers(1, 9, 1));
        row("Label19", 2, "QLabel", QStringLiteral("Max. počet pokusů pro zápis dat do terminálu:"),
            {}, "Rep_write");
        row("Write_error_repeat", 2, "QCheckBox",
            QStringLiteral("Při neúspěšném opakování ukončit úlohu"));
        row("Priority_set", 2, "QCheckBox", QStringLiteral("Priorita komunikace HIGH_PRIORITY"));
        row("Delay_add", 2, "QComboBox", Numbers(0, 236, 4));
        row("Label27", 2, "QLabel", QStringLiteral("Prodloužení testu MASTER o (ms)"), {},
            "Delay_add");
        row("InSoubor", 2, "QLineEdit", kAny);
        row("Label1", 2, "QLabel", QStringLiteral("Jméno souboru požadavků na terminál:"), {},
            "InSoubor");
        row("OutSoubor", 2, "QLineEdit", kAny);
        row("Label2", 2, "QLabel", QStringLiteral("Jméno souboru výstupu z terminálu:"), {},
            "OutSoubor");
        row("Path_data", 2, "QLineEdit", kAny);
        row("Label18", 2, "QLabel", QStringLiteral("Cesta (PATH) pro souborové operace:"), {},
            "Path_data");
        row("Write_bin_output", 2, "QCheckBox",
            QStringLiteral("Vytvářet výstupní soubor binarni.bin"));
        row("Edit2", 2, "QLineEdit", QStringLiteral("50"));
        row("Edit3", 2, "QLineEdit", QStringLiteral("6700"));
        row("Label4", 2, "QLabel", QStringLiteral("Konstanty pro vysílání a příjem"), {}, "Edit2");
        row("BitBtn6", 2, "QPushButton", QStringLiteral("Nastavit čas"));
        row("BitBtn7", 2, "QPushButton", QStringLiteral("Výpis error-log"));
        row("BitBtn8", 2, "QPushButton", QStringLiteral("Uložit CFG"));

        // "O programu"
        row("Label30", 3, "QLabel",
            QStringLiteral("Program KELMORA 2013\n\nProgram Kelmora je určen pro počítače s "
                           "operačním systémem\n\n®Windows 7,\n®Windows 8,"));
        row("Label26", 3, "QLabel", kAny);
        row("Image2", 3, "QWidget", kAny);

        // "Chybová hlášení"
        row("Memo2", 4, "QPlainTextEdit", kAny);
        row("JvXPButton5", 4, "QPushButton", QStringLiteral("   Zpět"));
        row("JvXPButton6", 4, "QPushButton", QStringLiteral("Vymazat obsah"));
    }

    void everyControl() {
        QFETCH(int, page);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, hint);
        QFETCH(QString, buddy);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const auto found = form->findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QWidget* control = found.first();
        QVERIFY2(form->Ui().TabSheets[page]->isAncestorOf(control), "on another page");
        QCOMPARE(Kind(control), kind);
        if (text != kAny) {
            QCOMPARE(TextOf(control), text);
        }
        QCOMPARE(control->toolTip(), hint);
        if (!buddy.isEmpty()) {
            auto* label = qobject_cast<QLabel*>(control);
            QVERIFY(label != nullptr && label->buddy() != nullptr);
            QCOMPARE(label->buddy()->objectName(), buddy);
        }
    }

    void windowFrameAndTabs() {
        QCOMPARE(form->windowTitle(),
                 QStringLiteral("Kelmora - komunikační program pro terminál TOBRIN"));
        QCOMPARE(form->minimumSize(), QSize(600, 400));
        QCOMPARE(form->maximumSize(), QSize(600, 400));
        // A fixed-size dialog for the window manager: close and help only.
        const Qt::WindowFlags flags = form->windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowContextHelpButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));

        QTabWidget* tabs = form->Ui().PageControl1;
        const QStringList titles{QStringLiteral("Ovládání terminálu"),
                                 QStringLiteral("Konfigurace terminálů"),
                                 QStringLiteral("Servisní nastavení"), QStringLiteral("O programu"),
                                 QStringLiteral("Chybová hlášení")};
        QCOMPARE(tabs->count(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(tabs->tabText(i), titles[i]);
            QCOMPARE(tabs->widget(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
            QVERIFY(!tabs->tabIcon(i).isNull());
        }
        QCOMPARE(tabs->iconSize(), QSize(24, 24));
        QCOMPARE(tabs->tabBar()->tabRect(0).height(), 35);
        QVERIFY(!tabs->isTabVisible(4));
        // All five tabs fit the window's width when the event log is shown.
        tabs->setTabVisible(4, true);
        QVERIFY(tabs->tabBar()->tabRect(4).right() < tabs->width());
        tabs->setTabVisible(4, false);

        const auto* picture = form->findChild<QWidget*>(QStringLiteral("Image2"));
        QCOMPARE(picture->size(), QSize(145, 311));
        QVERIFY(QRegularExpression(QStringLiteral("^Datum vytvoření programu: [A-Z][a-z]{2} "
                                                  "[1-9][0-9]? [0-9]{4}$"))
                    .match(form->Ui().Label26->text())
                    .hasMatch());
    }

    void statusBarPanels() {
        const QStringList texts{QStringLiteral("Status:"),
                                QString(),
                                QStringLiteral("Načteno:"),
                                QString(),
                                QStringLiteral("Opakování Tx:"),
                                QString(),
                                QStringLiteral("Opakování Rx:"),
                                QString(),
                                QStringLiteral("Příkazy"),
                                QStringLiteral("0/0"),
                                QString()};
        const int widths[] = {50, 50, 60, 60, 100, 20, 100, 20, 50, 80, 50};
        StatusPanels* bar = form->StatusBar1();
        int left = 0;
        for (int i = 0; i < StatusPanels::kCount; ++i) {
            QLabel* panel = bar->Panel(i);
            QCOMPARE(panel->text(), texts[i]);
            QCOMPARE(panel->x() - 0, left);
            QCOMPARE(panel->width() + 2, widths[i]);
            left += widths[i];
            const bool value = i % 2 == 1 && i < 10;
            QCOMPARE(panel->frameShape() != QFrame::NoFrame, value);
            const Qt::Alignment horizontal = panel->alignment() & Qt::AlignHorizontal_Mask;
            QCOMPARE(horizontal, value     ? Qt::AlignHCenter
                                 : i == 10 ? Qt::AlignLeft
                                           : Qt::AlignRight);
        }
    }

    void aStatusPanelWidensOnlyForAText_data() {
        QTest::addColumn<QString>("pair");
        QTest::newRow("fits") << QStringLiteral("1,0");
        QTest::newRow("failed") << QStringLiteral("-1,-1");
        QTest::newRow("a full memory") << QStringLiteral("2501,2500");
        QTest::newRow("a long job") << QStringLiteral("65535,65535");
    }
    void aStatusPanelWidensOnlyForAText() {
        QFETCH(QString, pair);
        StatusPanels* bar = form->StatusBar1();
        bar->ShowNote(QStringLiteral("Probíhá jiná úloha"));
        bar->SetText(1, pair);
        QLabel* panel = bar->Panel(1);
        QVERIFY2(panel->contentsRect().width() > panel->fontMetrics().horizontalAdvance(pair),
                 "the status pair is cut");
        QCOMPARE(panel->toolTip(), pair);
        const int designed = StatusPanels::kWidths[1] - 2;
        if (panel->fontMetrics().horizontalAdvance(pair) + 12 <= designed) {
            QCOMPARE(panel->width(), designed);
        }
        // The panels right of it keep their widths and follow it.
        for (int i = 2; i < StatusPanels::kCount; ++i) {
            QCOMPARE(bar->Panel(i)->x(), bar->Panel(i - 1)->geometry().right() + 3);
            QCOMPARE(bar->Panel(i)->width() + 2, StatusPanels::kWidths[i]);
        }
        // A note on show leaves the pair readable.
        const auto* note = bar->findChild<QLabel*>(QStringLiteral("StatusNote"));
        QVERIFY(!note->isHidden());
        QVERIFY(note->x() > panel->geometry().right());
        bar->ClearNote();
        bar->SetText(1, QString());
        QCOMPARE(panel->width(), designed);
        QCOMPARE(bar->Panel(2)->x(), StatusPanels::kWidths[0] + StatusPanels::kWidths[1]);
    }

    void dropDownListsShowALimitedNumberOfEntries() {
        form->show();
        const Controls& ui = form->Ui();
        for (QComboBox* list : {ui.Delay_add, ui.Port[0], ui.K_Baud1, ui.Rep_write}) {
            for (QWidget* page : ui.TabSheets) {
                if (page->isAncestorOf(list)) {
                    ui.PageControl1->setCurrentWidget(page);
                }
            }
            list->showPopup();
            QAbstractItemView* view = list->view();
            QTRY_VERIFY(view->isVisible());
            const int rows = std::min(list->count(), list->maxVisibleItems());
            QVERIFY2(view->window()->height() <= (rows + 1) * view->sizeHintForRow(0),
                     qPrintable(list->objectName()));
            list->hidePopup();
        }
        ui.PageControl1->setCurrentIndex(0);
        form->hide();
    }

    void notificationMenu() {
        QMenu* menu = form->StatusIcon1().Menu();
        QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu1"));
        const auto actions = menu->actions();
        QCOMPARE(actions.size(), 4);
        QCOMPARE(actions[0]->text(), QStringLiteral("Zobrazit program"));
        QCOMPARE(actions[1]->text(), QStringLiteral("Schovat program"));
        QVERIFY(actions[2]->isSeparator());
        QCOMPARE(actions[3]->text(), QStringLiteral("Konec"));
        QCOMPARE(menu->defaultAction(), actions[0]);
        QVERIFY(actions[0]->font().bold());
        QVERIFY(!actions[1]->font().bold());
    }

    void looksOfTheControls() {
        const Controls& ui = form->Ui();
        QVERIFY(QFontInfo(ui.Memo1->font()).fixedPitch());
        QVERIFY(QFontInfo(ui.Memo2->font()).fixedPitch());
        QCOMPARE(ui.Memo2->font().pointSizeF(), 10.0);
        QCOMPARE(ui.Memo2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(ui.Memo2->isReadOnly());
        QCOMPARE(ui.ProgressBar1->orientation(), Qt::Vertical);
        QCOMPARE(ui.ProgressBar1->minimum(), 0);
        QCOMPARE(ui.ProgressBar1->maximum(), 100);
        for (QToolButton* quick : ui.SpeedButtons) {
            QVERIFY(quick->font().bold());
            const QColor text = quick->palette().color(QPalette::ButtonText);
            QVERIFY(text.blue() > text.red() && text.blue() > text.green());
        }
        QVERIFY(ui.Selekt->font().bold());
        QVERIFY(ui.Label29->font().bold());
        for (QGroupBox* box : ui.GroupBoxes) {
            QVERIFY(box->font().bold());
        }
        QVERIFY(!ui.Adr[0]->font().bold());
        for (QCheckBox* box : form->findChildren<QCheckBox*>()) {
            QCOMPARE(box->layoutDirection(), Qt::RightToLeft); // the caption left of the box
        }
        for (QLineEdit* fixed : {ui.Edit2, ui.Edit3}) {
            QVERIFY(!fixed->isEnabled());
            QVERIFY(fixed->isReadOnly());
        }
    }

    void indicatorsSitUnderTheirItems() {
        for (int slot = 0; slot < 4; ++slot) {
            const Indicator& indicator = form->IndicatorOf(slot);
            QCOMPARE(indicator.Square()->parentWidget(), form->Ui().Terminaly1);
            QCOMPARE(indicator.Square()->geometry(), QRect(10 + 55 * slot, 40, 32, 32));
            QCOMPARE(indicator.Icon()->geometry(), QRect(14 + 55 * slot, 44, 24, 24));
        }
        // T1 is connected on a port that does not open; T2 to T4 are not connected.
        QVERIFY(!form->IndicatorOf(0).Square()->isHidden());
        QCOMPARE(form->IndicatorOf(0).Square()->Colour(), QColor(0xff, 0xff, 0xff));
        QCOMPARE(form->IndicatorOf(0).Icon()->Image(), 3);
        for (int slot = 1; slot < 4; ++slot) {
            QVERIFY(form->IndicatorOf(slot).Square()->isHidden());
            QVERIFY(form->IndicatorOf(slot).Icon()->isHidden());
        }
    }
};

KELMORA_GUI_TEST_MAIN(WindowControls)
#include "test_window_controls.moc"
