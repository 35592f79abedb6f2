// Every control of the main window against the control table (its page, kind,
// caption, hint, buddy and weight), and the window's frame, tabs, status bar,
// notification-area menu and fonts.
#include "GuiTestMain.h"
#include "WindowHarness.h"
#include "shell/form/ControlTable.h"
#include "shell/window/Indicator.h"
#include "shell/window/Led.h"
#include "shell/window/QtText.h"
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
#include <map>

using namespace kelmora;
using namespace kelmora::testing;

namespace {

QString ClassOf(const QObject* object) {
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

using form::ControlRow;
using form::Kind;

const QString kAny = QtFromCp(form::kRunTimeText);

QString Text(const ControlRow& row) {
    if (row.kind == Kind::Combo) {
        QStringList entries;
        for (const std::string& entry : form::ListEntries(row.caption)) {
            entries << QtFromCp(entry);
        }
        return entries.join(QLatin1Char('|'));
    }
    return QtFromCp(row.caption);
}

QString Name(std::string_view name) {
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// The Qt class of each kind of control in the table.
QString QtKind(Kind kind) {
    static const std::map<Kind, const char*> classes = {{Kind::Panel, "QFrame"},
                                                        {Kind::Group, "QGroupBox"},
                                                        {Kind::Radio, "QRadioButton"},
                                                        {Kind::Label, "QLabel"},
                                                        {Kind::Edit, "QLineEdit"},
                                                        {Kind::Button, "QPushButton"},
                                                        {Kind::Quick, "QToolButton"},
                                                        {Kind::Progress, "QProgressBar"},
                                                        {Kind::Led, "Led"},
                                                        {Kind::Check, "QCheckBox"},
                                                        {Kind::Combo, "QComboBox"},
                                                        {Kind::List, "QListWidget"},
                                                        {Kind::Text, "QPlainTextEdit"},
                                                        {Kind::Picture, "QWidget"}};
    const auto it = classes.find(kind);
    return QString::fromLatin1(it == classes.end() ? "?" : it->second);
}

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
        QTest::addColumn<bool>("bold");
        for (const ControlRow& row : form::ControlTable()) {
            if (row.page < 0 || row.kind == Kind::Page) {
                continue;
            }
            QTest::newRow(std::string(row.name).c_str())
                << row.page << QtKind(row.kind) << Text(row) << QtFromCp(row.hint)
                << Name(row.buddy) << row.bold;
        }
    }

    void everyControl() {
        QFETCH(int, page);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, hint);
        QFETCH(QString, buddy);
        QFETCH(bool, bold);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const auto found = form->findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);
        QWidget* control = found.first();
        QVERIFY2(form->Ui().TabSheets[page]->isAncestorOf(control), "on another page");
        QCOMPARE(ClassOf(control), kind);
        if (text != kAny) {
            QCOMPARE(TextOf(control), text);
        }
        QCOMPARE(control->toolTip(), hint);
        QCOMPARE(control->font().bold(), bold);
        if (!buddy.isEmpty()) {
            auto* label = qobject_cast<QLabel*>(control);
            QVERIFY(label != nullptr && label->buddy() != nullptr);
            QCOMPARE(label->buddy()->objectName(), buddy);
        }
    }

    void windowFrameAndTabs() {
        const ControlRow& window = form::RowOf("Form1");
        QCOMPARE(form->windowTitle(), Text(window));
        QCOMPARE(QSize(window.width, window.height), QSize(600, 400));
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
        const std::vector<ControlRow> pages = RowsOfKind(Kind::Page);
        QCOMPARE(tabs->count(), int(pages.size()));
        for (int i = 0; i < tabs->count(); ++i) {
            QCOMPARE(tabs->tabText(i), Text(pages[i]));
            QCOMPARE(tabs->widget(i)->objectName(), Name(pages[i].name));
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
        const std::vector<ControlRow> panels = RowsOfKind(Kind::Status);
        QCOMPARE(int(panels.size()), StatusPanels::kCount);
        StatusPanels* bar = form->StatusBar1();
        int left = 0;
        for (int i = 0; i < StatusPanels::kCount; ++i) {
            QLabel* panel = bar->Panel(i);
            const int width = panels[i].width;
            QCOMPARE(panel->objectName(), Name(panels[i].name));
            QCOMPARE(panel->text(), Text(panels[i]));
            QCOMPARE(panel->x() - 0, left);
            QCOMPARE(panel->width() + 2, width);
            left += width;
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
        const int designed = StatusPanels::DesignedWidth(1) - 2;
        if (panel->fontMetrics().horizontalAdvance(pair) + 12 <= designed) {
            QCOMPARE(panel->width(), designed);
        }
        // The panels right of it keep their widths and follow it.
        for (int i = 2; i < StatusPanels::kCount; ++i) {
            QCOMPARE(bar->Panel(i)->x(), bar->Panel(i - 1)->geometry().right() + 3);
            QCOMPARE(bar->Panel(i)->width() + 2, StatusPanels::DesignedWidth(i));
        }
        // A note on show leaves the pair readable.
        const auto* note = bar->findChild<QLabel*>(QStringLiteral("StatusNote"));
        QVERIFY(!note->isHidden());
        QVERIFY(note->x() > panel->geometry().right());
        bar->ClearNote();
        bar->SetText(1, QString());
        QCOMPARE(panel->width(), designed);
        QCOMPARE(bar->Panel(2)->x(),
                 StatusPanels::DesignedWidth(0) + StatusPanels::DesignedWidth(1));
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
        std::vector<ControlRow> entries;
        for (const ControlRow& row : form::ControlTable()) {
            if (row.kind == Kind::Menu || row.kind == Kind::Separator) {
                entries.push_back(row);
            }
        }
        QCOMPARE(actions.size(), qsizetype(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            QCOMPARE(actions[i]->objectName(), Name(entries[i].name));
            QCOMPARE(actions[i]->isSeparator(), entries[i].kind == Kind::Separator);
            if (!actions[i]->isSeparator()) {
                QCOMPARE(actions[i]->text(), Text(entries[i]));
                QCOMPARE(actions[i]->font().bold(), entries[i].bold);
            }
        }
        QCOMPARE(menu->defaultAction(), actions[0]);
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
            const QColor text = quick->palette().color(QPalette::ButtonText);
            QVERIFY(text.blue() > text.red() && text.blue() > text.green());
        }
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
