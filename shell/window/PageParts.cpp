#include "shell/window/PageParts.h"

#include "shell/window/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelmora {

QString Caption(std::string_view name) {
    return QtFromCp(form::InitialText(form::RowOf(name)));
}

void ApplyRow(QWidget* widget, const form::ControlRow& row) {
    widget->setObjectName(QString::fromLatin1(row.name.data(), qsizetype(row.name.size())));
    if (!row.hint.empty()) {
        SetHint(widget, QtFromCp(row.hint));
    }
    // Set on every control: a child does not take its group's weight.
    QFont font = widget->font();
    font.setBold(row.bold);
    widget->setFont(font);
    if (row.width > 0 && row.height > 0) {
        widget->setFixedSize(row.width, row.height);
    }
}

QLabel* MakeLabel(std::string_view name, QWidget* buddy) {
    auto* label = FromTable(new QLabel(Caption(name)), name);
    if (buddy != nullptr) {
        label->setBuddy(buddy);
    }
    return label;
}

QLineEdit* MakeEdit(std::string_view name) {
    return FromTable(new QLineEdit(Caption(name)), name);
}

QComboBox* MakeCombo(std::string_view name) {
    auto* list = FromTable(new QComboBox, name);
    for (const std::string& entry : form::ListEntries(form::RowOf(name).caption)) {
        list->addItem(QtFromCp(entry));
    }
    return list;
}

QCheckBox* MakeCheckBox(std::string_view name) {
    auto* box = FromTable(new QCheckBox(Caption(name)), name);
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

QGroupBox* MakeGroup(std::string_view name) {
    return FromTable(new QGroupBox(Caption(name)), name);
}

QPushButton* MakeButton(std::string_view name, Glyph glyph) {
    auto* button = FromTable(new QPushButton(GlyphIcon(glyph), Caption(name)), name);
    button->setIconSize(QSize(16, 16));
    button->setAutoDefault(false);
    return button;
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setWhatsThis(hint);
}

} // namespace kelmora
