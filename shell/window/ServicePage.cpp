// Page "Servisní nastavení": attempts, failure handling, priority, the
// MASTER-test extension, file names and data path, the fixed line timing,
// and the clock, event-log and save buttons.
#include "shell/window/Controls.h"
#include "shell/window/PageParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelmora {

QWidget* BuildServicePage(Controls& ui) {
    auto* page = FromTable(new QWidget, "TabSheet3");

    ui.Rep_write = MakeCombo("Rep_write");
    ui.Rep_write->setFixedWidth(56);
    ui.Delay_add = MakeCombo("Delay_add");
    ui.Delay_add->setFixedWidth(72);
    ui.Delay_add->setMaxVisibleItems(15);
    ui.InSoubor = MakeEdit("InSoubor");
    ui.OutSoubor = MakeEdit("OutSoubor");
    for (QLineEdit* e : {ui.InSoubor, ui.OutSoubor}) {
        e->setFixedWidth(130);
    }
    ui.Path_data = MakeEdit("Path_data");
    ui.Edit2 = MakeEdit("Edit2");
    ui.Edit3 = MakeEdit("Edit3");
    for (QLineEdit* e : {ui.Edit2, ui.Edit3}) {
        e->setReadOnly(true);
        e->setEnabled(false);
        e->setFixedWidth(56);
        e->setAlignment(Qt::AlignRight);
    }

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    int row = 0;
    auto addRow = [&](std::string_view label, QWidget* field, int span = 1) {
        grid->addWidget(MakeLabel(label, field), row, 0);
        grid->addWidget(field, row, 1, 1, span, span == 1 ? Qt::AlignLeft : Qt::Alignment());
        ++row;
    };
    addRow("Label19", ui.Rep_write);
    addRow("Label27", ui.Delay_add);
    addRow("Label1", ui.InSoubor);
    addRow("Label2", ui.OutSoubor);
    addRow("Label18", ui.Path_data, 2);
    auto* timing = new QHBoxLayout;
    timing->setSpacing(6);
    timing->addWidget(ui.Edit2);
    timing->addWidget(ui.Edit3);
    timing->addStretch();
    grid->addWidget(MakeLabel("Label4", ui.Edit2), row, 0);
    grid->addLayout(timing, row, 1);
    grid->setColumnStretch(2, 1);

    ui.Write_error_repeat = MakeCheckBox("Write_error_repeat");
    ui.Priority_set = MakeCheckBox("Priority_set");
    ui.Write_bin_output = MakeCheckBox("Write_bin_output");
    auto* options = new QVBoxLayout;
    options->setSpacing(6);
    for (QCheckBox* c : {ui.Write_error_repeat, ui.Priority_set, ui.Write_bin_output}) {
        options->addWidget(c); // as wide as the column: the boxes line up
    }
    auto* optionsRow = new QHBoxLayout;
    optionsRow->addLayout(options);
    optionsRow->addStretch();

    ui.BitBtn6 = MakeButton("BitBtn6", Glyph::Clock);
    ui.BitBtn7 = MakeButton("BitBtn7", Glyph::EventLog);
    ui.BitBtn8 = MakeButton("BitBtn8", Glyph::Save);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (QPushButton* b : {ui.BitBtn6, ui.BitBtn7, ui.BitBtn8}) {
        b->setFixedSize(120, 26);
    }
    buttons->addWidget(ui.BitBtn6);
    buttons->addWidget(ui.BitBtn7);
    buttons->addStretch();
    buttons->addWidget(ui.BitBtn8);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(10, 10, 10, 8);
    layout->setSpacing(10);
    layout->addLayout(grid);
    layout->addLayout(optionsRow);
    layout->addStretch();
    layout->addLayout(buttons);
    return page;
}

} // namespace kelmora
