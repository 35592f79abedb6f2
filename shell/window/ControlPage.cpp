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
#include <string>

namespace kelmora {

namespace {

// The selector "Terminál" fills the panel: its items on top and, from
// y = 40, the indicators (placed by the window), each under its item.
QFrame* BuildTerminalPanel(Controls& ui) {
    auto* panel = FromTable(new QFrame, "Terminaly1");
    panel->setFrameStyle(QFrame::NoFrame);
    panel->setFixedSize(232, 80);

    auto* selekt = MakeGroup("Selekt");
    selekt->setParent(panel);
    selekt->setGeometry(0, 0, 232, 80);
    ui.SelektItems = new QButtonGroup(selekt);
    ui.SelektItems->setObjectName(QStringLiteral("SelektItems"));
    const int itemTop = std::min(selekt->fontMetrics().height() + 6, 21);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "Selekt_T" + std::to_string(i + 1);
        auto* item = FromTable(new QRadioButton(Caption(name), selekt), name);
        item->setGeometry(12 + 55 * i, itemTop, 48, 18);
        ui.SelektItems->addButton(item, i);
    }
    ui.SelektItems->button(0)->setChecked(true);
    ui.Selekt = selekt;
    ui.Terminaly1 = panel;
    return panel;
}

QGridLayout* BuildQuickButtons(Controls& ui) {
    auto* grid = new QGridLayout;
    grid->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "SpeedButton" + std::to_string(i + 1);
        auto* button = FromTable(new QToolButton, name);
        button->setText(Caption(name));
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
    auto* page = FromTable(new QWidget, "TabSheet1");

    auto* bar = FromTable(new QProgressBar, "ProgressBar1");
    bar->setOrientation(Qt::Vertical);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedSize(14, 80);
    ui.ProgressBar1 = bar;

    auto* led = FromTable(new Led, "JvLED1");
    led->setFixedSize(20, 20);
    ui.JvLED1 = led;

    ui.BitBtn1 = MakeButton("BitBtn1", Glyph::CommandFile);
    ui.BitBtn2 = MakeButton("BitBtn2", Glyph::HideWindow);
    ui.BitBtn3 = MakeButton("BitBtn3", Glyph::Quit);
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

    ui.Edit1 = MakeEdit("Edit1");
    ui.Label29 = MakeLabel("Label29", ui.Edit1);
    ui.BitBtn4 = MakeButton("BitBtn4", Glyph::Send);
    ui.BitBtn4->setFixedSize(156, 24);
    auto* command = new QHBoxLayout;
    command->setSpacing(6);
    command->addWidget(ui.Label29);
    command->addWidget(ui.Edit1, 1);
    command->addWidget(ui.BitBtn4);

    ui.Memo1 = FromTable(new QListWidget, "Memo1");
    ui.Memo1->setFont(FixedFont(9));
    ui.Memo1->setTextElideMode(Qt::ElideNone); // long result lines scroll, never lose characters
    ui.Memo1->setSelectionMode(QAbstractItemView::SingleSelection);
    ui.Label17 = MakeLabel("Label17", ui.Memo1);

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
