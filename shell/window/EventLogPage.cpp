// Page "Chybová hlášení": the event log, and the buttons to leave the page
// and to clear the log.
#include "shell/window/Controls.h"
#include "shell/window/PageParts.h"
#include "shell/window/Style.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelmora {

QWidget* BuildEventLogPage(Controls& ui) {
    auto* page = FromTable(new QWidget, "TabSheet5");

    ui.Memo2 = FromTable(new QPlainTextEdit, "Memo2");
    ui.Memo2->setReadOnly(true);
    ui.Memo2->setFont(FixedFont(10));
    ui.Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui.Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);

    ui.JvXPButton5 = MakeButton("JvXPButton5", Glyph::Back);
    ui.JvXPButton6 = MakeButton("JvXPButton6", Glyph::Erase);
    for (QPushButton* b : {ui.JvXPButton5, ui.JvXPButton6}) {
        b->setFixedSize(120, 26);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ui.JvXPButton5);
    buttons->addStretch();
    buttons->addWidget(ui.JvXPButton6);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(ui.Memo2, 1);
    layout->addLayout(buttons);
    return page;
}

} // namespace kelmora
