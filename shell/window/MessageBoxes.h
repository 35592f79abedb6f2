// The real message boxes: the core's text, caption (the application title
// "Kelmora 2013" when empty), icon and buttons, with Czech button captions.
#pragma once

#include "shell/ProgramIdentity.h"
#include "shell/window/WindowOptions.h"

#include <memory>

class QMessageBox;

namespace kelmora {

// The box as it is shown: the icon, the caption, the text and the buttons
// "OK", or "Ano" (the default) and "Ne" (Escape).
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const MessageBox& box);

MessageAnswer ShowMessageBox(QWidget* owner, const MessageBox& box);

} // namespace kelmora
