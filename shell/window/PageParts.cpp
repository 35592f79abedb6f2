#include "shell/window/PageParts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace kelmora {

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, bool bold) {
    auto* label = Named(new QLabel(text), name);
    if (buddy != nullptr) {
        label->setBuddy(buddy);
    }
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QCheckBox* MakeCheckBox(const QString& name, const QString& text) {
    auto* box = Named(new QCheckBox(text), name);
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

QGroupBox* MakeBoldGroup(const QString& name, const QString& title) {
    auto* box = Named(new QGroupBox(title), name);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    return box;
}

void KeepChildrenNormal(QGroupBox* box) {
    for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QFont font = child->font();
        font.setBold(false);
        child->setFont(font);
    }
}

QPushButton* MakeButton(const QString& name, const QString& text, Glyph glyph) {
    auto* button = Named(new QPushButton(GlyphIcon(glyph), text), name);
    button->setIconSize(QSize(16, 16));
    button->setAutoDefault(false);
    return button;
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setWhatsThis(hint);
}

} // namespace kelmora
