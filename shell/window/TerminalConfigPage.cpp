// Page "Konfigurace terminálů": address, port and connection of the four
// slotGroups, and the settings common to all terminals.
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

QGroupBox* BuildSlotGroup(Controls& ui, int i) {
    const QString n = QString::number(i + 1);
    auto* box = MakeBoldGroup(QStringLiteral("GroupBox") + n, QStringLiteral("Terminál ") + n);

    ui.Adr[i] = Named(new QLineEdit, QStringLiteral("Adr") + n);
    ui.Adr[i]->setFixedWidth(48);
    ui.Port[i] = Named(new QComboBox, QStringLiteral("Port") + n);
    ui.Port[i]->setFixedWidth(72);
    ui.Port[i]->setMaxVisibleItems(12);
    ui.Pripojen[i] = MakeCheckBox(QStringLiteral("Pripojen") + n, QStringLiteral("Připojen"));
    if (i == 0) {
        SetHint(ui.Adr[i], QStringLiteral("Fyzická adresa terminálu (např. 1,2,15...)"));
        SetHint(ui.Port[i], QStringLiteral("Komunikační port RS232 na počítači (COM1, COM2...)"));
        SetHint(ui.Pripojen[i], QStringLiteral("Povolení komunikace s tímto terminálem, pokud "
                                               "není zatržen, tak nebude komunikovat."));
    }

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(MakeLabel(QStringLiteral("LabelAdr") + n, QStringLiteral("Adresa"), ui.Adr[i]),
                    0, 0);
    grid->addWidget(ui.Adr[i], 0, 1, Qt::AlignLeft);
    grid->addWidget(MakeLabel(QStringLiteral("LabelPort") + n, QStringLiteral("Port"), ui.Port[i]),
                    1, 0);
    grid->addWidget(ui.Port[i], 1, 1, Qt::AlignLeft);
    grid->addWidget(ui.Pripojen[i], 2, 0, 1, 2, Qt::AlignAbsolute | Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    KeepChildrenNormal(box);
    return box;
}

} // namespace

QWidget* BuildTerminalConfigPage(Controls& ui) {
    auto* page = Named(new QWidget, QStringLiteral("TabSheet2"));

    auto* slotGroups = new QHBoxLayout;
    slotGroups->setSpacing(8);
    for (int i = 0; i < 4; ++i) {
        ui.GroupBoxes[i] = BuildSlotGroup(ui, i);
        slotGroups->addWidget(ui.GroupBoxes[i]);
    }

    ui.K_Baud1 = Named(new QComboBox, QStringLiteral("K_Baud1"));
    ui.K_Baud1->addItems({QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800"),
                          QStringLiteral("9600"), QStringLiteral("19200")});
    ui.K_Baud1->setFixedWidth(80);
    SetHint(ui.K_Baud1, QStringLiteral("Rychlost komunikace"));
    ui.Radku1 = Named(new QLineEdit, QStringLiteral("Radku1"));
    SetHint(ui.Radku1, QStringLiteral("Maximální počet lidí pro tento terminál"));
    ui.MxSn1 = Named(new QLineEdit, QStringLiteral("MxSn1"));
    ui.MxVec1 = Named(new QLineEdit, QStringLiteral("MxVec1"));
    for (QLineEdit* e : {ui.Radku1, ui.MxSn1, ui.MxVec1}) {
        e->setFixedWidth(80);
    }

    auto* numbers = new QGridLayout;
    numbers->setRowStretch(4, 1);
    numbers->setHorizontalSpacing(8);
    numbers->setVerticalSpacing(6);
    numbers->addWidget(
        MakeLabel(QStringLiteral("Label13"), QStringLiteral("Rychlost BAUD"), ui.K_Baud1), 0, 0);
    numbers->addWidget(ui.K_Baud1, 0, 1);
    numbers->addWidget(MakeLabel(QStringLiteral("Label14"), QStringLiteral("Kapacita"), ui.Radku1),
                       1, 0);
    numbers->addWidget(ui.Radku1, 1, 1);
    numbers->addWidget(
        MakeLabel(QStringLiteral("Label15"), QStringLiteral("Max. p. snidaní"), ui.MxSn1), 2, 0);
    numbers->addWidget(ui.MxSn1, 2, 1);
    numbers->addWidget(
        MakeLabel(QStringLiteral("Label16"), QStringLiteral("Max. p. večeří"), ui.MxVec1), 3, 0);
    numbers->addWidget(ui.MxVec1, 3, 1);

    ui.Mark1 = MakeCheckBox(QStringLiteral("Mark1"), QStringLiteral("Parita MARK"));
    ui.CCode1 = MakeCheckBox(QStringLiteral("CCode1"), QStringLiteral("Kódování"));
    ui.DT_use1 = MakeCheckBox(QStringLiteral("DT_use1"), QStringLiteral("Používat DT"));
    ui.Kredit1 = MakeCheckBox(QStringLiteral("Kredit1"), QStringLiteral("Kredit"));
    auto* options = new QVBoxLayout;
    options->setSpacing(6);
    for (QCheckBox* c : {ui.Mark1, ui.CCode1, ui.DT_use1, ui.Kredit1}) {
        options->addWidget(c); // as wide as the column: the boxes line up
    }
    options->addStretch();

    ui.BitBtn5 = MakeButton(QStringLiteral("BitBtn5"), QStringLiteral("Uložit CFG"), Glyph::Save);
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
