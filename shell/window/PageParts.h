// Small helpers the page builders share: named controls, labels bound to
// their control, check boxes with the caption left of the box, bold group
// titles and buttons with their glyph.
#pragma once

#include "shell/window/Icons.h"

#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kelmora {

template <typename T>
T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// A label for `buddy` (may be null), optionally bold.
QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, bool bold = false);

// A check box whose caption stands left of the box.
QCheckBox* MakeCheckBox(const QString& name, const QString& text);

// A group box with a bold title; its controls keep the normal weight.
QGroupBox* MakeBoldGroup(const QString& name, const QString& title);

QPushButton* MakeButton(const QString& name, const QString& text, Glyph glyph);

// The hint of a control, also its "What's This?" text for the title bar's
// help button.
void SetHint(QWidget* widget, const QString& hint);

// Every control inside `box` back to the normal weight (its title stays bold).
void KeepChildrenNormal(QGroupBox* box);

} // namespace kelmora
