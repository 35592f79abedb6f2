// The real message boxes: the core's text, caption (the application title
// "Kelmora 2013" when empty), icon and buttons, with Czech button captions.
#pragma once

#include "shell/window/WindowOptions.h"

namespace kelmora {

inline constexpr const char* kApplicationTitle = "Kelmora 2013";

MessageAnswer ShowMessageBox(QWidget* owner, const MessageBox& box);

} // namespace kelmora
