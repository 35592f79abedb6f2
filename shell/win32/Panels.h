// The window classes of the Win32 window's own controls:
//   KelmoraPanel      a page, and the panel Terminaly1: passes its
//                     controls' notifications on to the main window and
//                     paints the window's background colour
//   KelmoraLed        JvLED1: the lamp, lit or dark (kSetState 1 or 0)
//   KelmoraIndicator  a slot's indicator: the square in the state's colour
//                     with its icon (kSetState: the image 0..3); a click on
//                     the icon is a BN_CLICKED to the main window
//   KelmoraPicture    Image2, the picture of page "O programu"
// Their pictures come from the resources (Pictures.h).
#pragma once

#include "shell/win32/WinApi.h"

namespace kelmora::win32 {

inline constexpr const wchar_t* kPanelClass = L"KelmoraPanel";
inline constexpr const wchar_t* kLedClass = L"KelmoraLed";
inline constexpr const wchar_t* kIndicatorClass = L"KelmoraIndicator";
inline constexpr const wchar_t* kPictureClass = L"KelmoraPicture";

// wParam: the new state; returns nothing. kGetState returns the state.
inline constexpr UINT kSetState = WM_USER + 1;
inline constexpr UINT kGetState = WM_USER + 2;

// The window's background: the smoky quartz of the Qt window's palette.
inline constexpr COLORREF kWindowColour = RGB(0xdc, 0xd5, 0xcc);
inline constexpr COLORREF kBaseColour = RGB(0xf6, 0xf3, 0xee);
inline constexpr COLORREF kQuickButtonText = RGB(0x1d, 0x4f, 0xa8);

void RegisterPanelClasses();

// The brushes of the two colours (kept for the program's run).
HBRUSH WindowBrush();
HBRUSH BaseBrush();

} // namespace kelmora::win32
