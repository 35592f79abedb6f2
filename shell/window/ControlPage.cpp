// Page "Ovládání terminálu": the slot selector with the four indicators, the
// quick commands, the watcher's bar and lamp, the command line, the job
// buttons and the result list.
#include "shell/window/Controls.h"
#include "shell/window/Led.h"
#include "shell/window/PageParts.h"
#include "shell/window/Style.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace kelmora {

namespace {

// The selector "Terminál" fills the panel: its items on top and, from
// y = 40, the indicators (placed by the window), each under its item.
QFrame* BuildTerminalPanel(Controls& ui) {
    auto* panel = Named(new QFrame, QStringLiteral("Terminaly1"));
    panel->setFrameStyle(QFrame::NoFrame);
    panel->setFixedSize(232, 80);

    auto* selekt = MakeBoldGroup(QStringLiteral("Selekt"), QStringLiteral("Terminál"));
    selekt->setParent(panel);
    selekt->setGeometry(0, 0, 232, 80);
    ui.SelektItems = new QButtonGroup(selekt);
    ui.SelektItems->setObjectName(QStringLiteral("SelektItems"));
    const int itemTop = std::min(selekt->fontMetrics().height() + 6, 21);
    for (int i = 0; i < 4; ++i) {
        auto* item = Named(new QRadioButton(QStringLiteral("T%1").arg(i + 1), selekt),
                           QStringLiteral("Selekt_T%1").arg(i + 1));
        item->setGeometry(12 + 55 * i, itemTop, 48, 18);
        ui.SelektItems->addButton(item, i);
    }
    ui.SelektItems->button(0)->setChecked(true);
    ui.Selekt = selekt;
    ui.Terminaly1 = panel;
    return panel;
}

QGridLayout* BuildQuickButtons(Controls& ui) {
    struct Quick {
        const char* caption;
        QString hint;
    };
    const Quick quick[4] = {{"00", QStringLiteral("příkaz O00")},
                            {"11", QStringLiteral("Příkaz O11")},
                            {"S", QStringLiteral("Příkaz S")},
                            {"Y", QStringLiteral("Příkaz Y")}};
    auto* grid = new QGridLayout;
    grid->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        auto* button = Named(new QToolButton, QStringLiteral("SpeedButton%1").arg(i + 1));
        button->setText(QString::fromLatin1(quick[i].caption));
        SetHint(button, quick[i].hint);
        QFont font = button->font();
        font.setBold(true);
        button->setFont(font);
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, quartz::QuickButtonText);
        button->setPalette(palette);
        button->setFixedSize(34, 26);
        grid->addWidget(button, i / 2, i % 2);
        ui.SpeedButtons[i] = button;
    }
    return grid;
}

} // namespace

QWidget* BuildControlPage(Controls& ui) {
    auto* page = Named(new QWidget, QStringLiteral("TabSheet1"));

    auto* bar = Named(new QProgressBar, QStringLiteral("ProgressBar1"));
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedSize(14, 80);
    SetHint(bar, QStringLiteral("WDT thread"));
    ui.ProgressBar1 = bar;

    auto* led = Named(new Led, QStringLiteral("JvLED1"));
    led->setFixedSize(20, 20);
    SetHint(led, QStringLiteral("Pracuji!!!"));
    ui.JvLED1 = led;

    ui.BitBtn1 = MakeButton(QStringLiteral("BitBtn1"), QStringLiteral("Příkazy ze souboru"),
                            Glyph::CommandFile);
    ui.BitBtn2 =
        MakeButton(QStringLiteral("BitBtn2"), QStringLiteral("Schovat program"), Glyph::HideWindow);
    ui.BitBtn3 =
        MakeButton(QStringLiteral("BitBtn3"), QStringLiteral("Ukončení programu"), Glyph::Quit);
    auto* jobButtons = new QVBoxLayout;
    jobButtons->setSpacing(3);
    for (QPushButton* b : {ui.BitBtn1, ui.BitBtn2, ui.BitBtn3}) {
        b->setFixedSize(156, 24);
        jobButtons->addWidget(b);
    }
    jobButtons->addStretch();

    auto* watcher = new QHBoxLayout;
    watcher->setSpacing(6);
    watcher->addWidget(bar);
    watcher->addWidget(led, 0, Qt::AlignTop);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(BuildTerminalPanel(ui), 0, Qt::AlignTop);
    auto* quick = BuildQuickButtons(ui);
    auto* quickColumn = new QVBoxLayout;
    quickColumn->addLayout(quick);
    quickColumn->addStretch();
    top->addLayout(quickColumn);
    top->addLayout(watcher);
    top->addStretch();
    top->addLayout(jobButtons);

    ui.Edit1 = Named(new QLineEdit, QStringLiteral("Edit1"));
    ui.Label29 =
        MakeLabel(QStringLiteral("Label29"), QStringLiteral("Příkazový řádek:"), ui.Edit1, true);
    ui.BitBtn4 =
        MakeButton(QStringLiteral("BitBtn4"), QStringLiteral("Odeslat příkaz"), Glyph::Send);
    ui.BitBtn4->setFixedSize(156, 24);
    auto* command = new QHBoxLayout;
    command->setSpacing(6);
    command->addWidget(ui.Label29);
    command->addWidget(ui.Edit1, 1);
    command->addWidget(ui.BitBtn4);

    ui.Memo1 = Named(new QListWidget, QStringLiteral("Memo1"));
    ui.Memo1->setFont(FixedFont(9));
    ui.Memo1->setTextElideMode(Qt::ElideNone); // long result lines scroll, never lose characters
    ui.Memo1->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.Label17 = MakeLabel(QStringLiteral("Label17"),
                           QStringLiteral("Výsledek operace s navoleným terminálem:"), ui.Memo1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addLayout(command);
    layout->addSpacing(2);
    layout->addWidget(ui.Label17);
    layout->addWidget(ui.Memo1, 1);
    return page;
}

} // namespace kelmora
