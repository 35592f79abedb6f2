// The real dialogs of the Win32 window: message boxes (the caption "Kelmora
// 2013" when the box has none), OpenDialog1 for command files, and the
// directory selection of Path_data, which takes a typed directory that does
// not exist yet and creates it once the operator agrees.
#pragma once

#include "shell/win32/WindowOptions.h"

namespace kelmora::win32 {

MessageAnswer ShowMessageBox(HWND owner, const MessageBox& box);

std::optional<std::string> ShowOpenDialog1(HWND owner);

std::optional<std::wstring> ChooseDirectory(HWND owner, const std::wstring& start,
                                            const MessageAnswerer& ask);

// What OK does with a typed directory: an existing one is taken; a missing
// one is created once the operator agrees; anything else is refused with a
// message. None: the dialog stays open.
std::optional<std::wstring> ConfirmDirectory(HWND owner, const std::wstring& typed,
                                             const MessageAnswerer& ask);

} // namespace kelmora::win32
