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
    auto* page = Named(new QWidget, QStringLiteral("TabSheet3"));

    ui.Rep_write = Named(new QComboBox, QStringLiteral("Rep_write"));
    for (int i = 1; i <= 9; ++i) {
        ui.Rep_write->addItem(QString::number(i));
    }
    ui.Rep_write->setFixedWidth(56);
    ui.Delay_add = Named(new QComboBox, QStringLiteral("Delay_add"));
    ui.Delay_add->setFixedWidth(72);
    ui.Delay_add->setMaxVisibleItems(15);
    ui.InSoubor = Named(new QLineEdit, QStringLiteral("InSoubor"));
    ui.OutSoubor = Named(new QLineEdit, QStringLiteral("OutSoubor"));
    for (QLineEdit* e : {ui.InSoubor, ui.OutSoubor}) {
        e->setFixedWidth(130);
    }
    ui.Path_data = Named(new QLineEdit, QStringLiteral("Path_data"));
    ui.Edit2 = Named(new QLineEdit(QStringLiteral("50")), QStringLiteral("Edit2"));
    ui.Edit3 = Named(new QLineEdit(QStringLiteral("6700")), QStringLiteral("Edit3"));
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
    auto addRow = [&](const QString& name, const QString& text, QWidget* field, int span = 1) {
        grid->addWidget(MakeLabel(name, text, field), row, 0);
        grid->addWidget(field, row, 1, 1, span, span == 1 ? Qt::AlignLeft : Qt::Alignment());
        ++row;
    };
    addRow(QStringLiteral("Label19"),
           QStringLiteral("Max. počet pokusů pro zápis dat do terminálu:"), ui.Rep_write);
    addRow(QStringLiteral("Label27"), QStringLiteral("Prodloužení testu MASTER o (ms)"),
           ui.Delay_add);
    addRow(QStringLiteral("Label1"), QStringLiteral("Jméno souboru požadavků na terminál:"),
           ui.InSoubor);
    addRow(QStringLiteral("Label2"), QStringLiteral("Jméno souboru výstupu z terminálu:"),
           ui.OutSoubor);
    addRow(QStringLiteral("Label18"), QStringLiteral("Cesta (PATH) pro souborové operace:"),
           ui.Path_data, 2);
    auto* timing = new QHBoxLayout;
    timing->setSpacing(6);
    timing->addWidget(ui.Edit2);
    timing->addWidget(ui.Edit3);
    timing->addStretch();
    grid->addWidget(MakeLabel(QStringLiteral("Label4"),
                              QStringLiteral("Konstanty pro vysílání a příjem"), ui.Edit2),
                    row, 0);
    grid->addLayout(timing, row, 1);
    grid->setColumnStretch(2, 1);

    ui.Write_error_repeat = MakeCheckBox(QStringLiteral("Write_error_repeat"),
                                         QStringLiteral("Při neúspěšném opakování ukončit úlohu"));
    ui.Priority_set = MakeCheckBox(QStringLiteral("Priority_set"),
                                   QStringLiteral("Priorita komunikace HIGH_PRIORITY"));
    ui.Write_bin_output = MakeCheckBox(QStringLiteral("Write_bin_output"),
                                       QStringLiteral("Vytvářet výstupní soubor binarni.bin"));
    auto* options = new QVBoxLayout;
    options->setSpacing(6);
    for (QCheckBox* c : {ui.Write_error_repeat, ui.Priority_set, ui.Write_bin_output}) {
        options->addWidget(c); // as wide as the column: the boxes line up
    }
    auto* optionsRow = new QHBoxLayout;
    optionsRow->addLayout(options);
    optionsRow->addStretch();

    ui.BitBtn6 =
        MakeButton(QStringLiteral("BitBtn6"), QStringLiteral("Nastavit čas"), Glyph::Clock);
    ui.BitBtn7 =
        MakeButton(QStringLiteral("BitBtn7"), QStringLiteral("Výpis error-log"), Glyph::EventLog);
    ui.BitBtn8 = MakeButton(QStringLiteral("BitBtn8"), QStringLiteral("Uložit CFG"), Glyph::Save);
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
