// Page "Konfigurace terminálů": address, port and connection of the four
// slots, and the settings common to all terminals.
#include "shell/form/ConfigurationPages.h"
#include "shell/window/Controls.h"
#include "shell/window/PageParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelmora {

namespace {

using form::SlotControl;

QGroupBox* BuildSlotGroup(Controls& ui, int i) {
    auto* box = MakeGroup(SlotControl("GroupBox", i));
    ui.Adr[i] = MakeEdit(SlotControl("Adr", i));
    ui.Adr[i]->setFixedWidth(48);
    ui.Port[i] = MakeCombo(SlotControl("Port", i));
    ui.Port[i]->setFixedWidth(72);
    ui.Port[i]->setMaxVisibleItems(12);
    ui.Pripojen[i] = MakeCheckBox(SlotControl("Pripojen", i));

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(MakeLabel(SlotControl("LabelAdr", i), ui.Adr[i]), 0, 0);
    grid->addWidget(ui.Adr[i], 0, 1, Qt::AlignLeft);
    grid->addWidget(MakeLabel(SlotControl("LabelPort", i), ui.Port[i]), 1, 0);
    grid->addWidget(ui.Port[i], 1, 1, Qt::AlignLeft);
    grid->addWidget(ui.Pripojen[i], 2, 0, 1, 2, Qt::AlignAbsolute | Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    return box;
}

} // namespace

QWidget* BuildTerminalConfigPage(Controls& ui) {
    auto* page = FromTable(new QWidget, "TabSheet2");

    auto* slotGroups = new QHBoxLayout;
    slotGroups->setSpacing(8);
    for (int i = 0; i < 4; ++i) {
        ui.GroupBoxes[i] = BuildSlotGroup(ui, i);
        slotGroups->addWidget(ui.GroupBoxes[i]);
    }

    ui.K_Baud1 = MakeCombo("K_Baud1");
    ui.K_Baud1->setFixedWidth(80);
    ui.Radku1 = MakeEdit("Radku1");
    ui.MxSn1 = MakeEdit("MxSn1");
    ui.MxVec1 = MakeEdit("MxVec1");
    for (QLineEdit* e : {ui.Radku1, ui.MxSn1, ui.MxVec1}) {
        e->setFixedWidth(80);
    }

    auto* numbers = new QGridLayout;
    numbers->setRowStretch(4, 1);
    numbers->setHorizontalSpacing(8);
    numbers->setVerticalSpacing(6);
    numbers->addWidget(MakeLabel("Label13", ui.K_Baud1), 0, 0);
    numbers->addWidget(ui.K_Baud1, 0, 1);
    numbers->addWidget(MakeLabel("Label14", ui.Radku1), 1, 0);
    numbers->addWidget(ui.Radku1, 1, 1);
    numbers->addWidget(MakeLabel("Label15", ui.MxSn1), 2, 0);
    numbers->addWidget(ui.MxSn1, 2, 1);
    numbers->addWidget(MakeLabel("Label16", ui.MxVec1), 3, 0);
    numbers->addWidget(ui.MxVec1, 3, 1);

    ui.Mark1 = MakeCheckBox("Mark1");
    ui.CCode1 = MakeCheckBox("CCode1");
    ui.DT_use1 = MakeCheckBox("DT_use1");
    ui.Kredit1 = MakeCheckBox("Kredit1");
    auto* options = new QVBoxLayout;
    options->setSpacing(6);
    for (QCheckBox* c : {ui.Mark1, ui.CCode1, ui.DT_use1, ui.Kredit1}) {
        options->addWidget(c); // as wide as the column: the boxes line up
    }
    options->addStretch();

    ui.BitBtn5 = MakeButton("BitBtn5", Glyph::Save);
    ui.BitBtn5->setFixedSize(120, 26);
    auto* save = new QVBoxLayout;
    save->addStretch();
    save->addWidget(ui.BitBtn5);

    auto* common = new QHBoxLayout;
    common->setContentsMargins(4, 0, 0, 0);
    common->setSpacing(40);
    common->addLayout(numbers);
    common->addLayout(options);
    common->addStretch();
    common->addLayout(save);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(14);
    layout->addLayout(slotGroups);
    layout->addLayout(common, 1);
    return page;
}

} // namespace kelmora
