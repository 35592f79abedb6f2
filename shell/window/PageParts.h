// Small helpers the page builders share. Each control is made from its row
// of the control table (shell/form/ControlTable.h): its component name as
// its object name, its caption, hint, weight and list entries; labels bound
// to their control, check boxes with the caption left of the box, buttons
// with their glyph.
#pragma once

#include "shell/form/ControlTable.h"
#include "shell/window/Icons.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kelmora {

template <typename T>
T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// The caption of a control as it shows at the start (empty for run-time text).
QString Caption(std::string_view name);

// `widget` named as the table's `name`, with its hint, weight and fixed size.
void ApplyRow(QWidget* widget, const form::ControlRow& row);
template <typename T>
T* FromTable(T* widget, std::string_view name) {
    ApplyRow(widget, form::RowOf(name));
    return widget;
}

// A label for `buddy` (may be null).
QLabel* MakeLabel(std::string_view name, QWidget* buddy);
QLineEdit* MakeEdit(std::string_view name);
// A drop-down list with its entries.
QComboBox* MakeCombo(std::string_view name);
// A check box whose caption stands left of the box.
QCheckBox* MakeCheckBox(std::string_view name);
// A group box with its title; its controls keep the normal weight unless
// the table says otherwise.
QGroupBox* MakeGroup(std::string_view name);
QPushButton* MakeButton(std::string_view name, Glyph glyph);

// The hint of a control, also its "What's This?" text for the title bar's
// help button.
void SetHint(QWidget* widget, const QString& hint);

} // namespace kelmora
