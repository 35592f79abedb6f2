// The controls of the Win32 main window by their component names, as the page
// builders create them. Every control is a child of its page (the selector's
// items and the indicators of the panel Terminaly1). A control of the control
// table has its place in the table as its command ID (ControlId), and so has
// each entry of the notification-area menu.
#pragma once

#include "shell/win32/WinApi.h"

#include <array>
#include <string_view>

namespace kelmora::win32 {

// The command ID of a control or menu entry of the control table.
int ControlId(std::string_view name);
// The component name of a command ID; empty for none.
std::string_view ControlName(int id);

// The window's parts outside the table.
enum OtherId : int {
    kIndicator1 = 210, // .. + 3
    kPageControl1 = 220,
    kStatusBar1,
};

struct Controls {
    HWND PageControl1 = nullptr;
    std::array<HWND, 5> TabSheets{}; // TabSheet1..TabSheet5
    HWND StatusBar1 = nullptr;

    // "Ovládání terminálu"
    HWND Terminaly1 = nullptr;
    HWND Selekt = nullptr;
    std::array<HWND, 4> SelektItems{}; // T1..T4
    std::array<HWND, 4> Indicators{};
    HWND Label29 = nullptr;
    HWND Edit1 = nullptr;
    HWND BitBtn4 = nullptr;
    std::array<HWND, 4> SpeedButtons{};
    HWND ProgressBar1 = nullptr;
    HWND JvLED1 = nullptr;
    HWND BitBtn1 = nullptr;
    HWND BitBtn2 = nullptr;
    HWND BitBtn3 = nullptr;
    HWND Label17 = nullptr;
    HWND Memo1 = nullptr;

    // "Konfigurace terminálů"
    std::array<HWND, 4> GroupBoxes{};
    std::array<HWND, 4> Adr{};
    std::array<HWND, 4> Port{};
    std::array<HWND, 4> Pripojen{};
    HWND K_Baud1 = nullptr;
    HWND Mark1 = nullptr;
    HWND CCode1 = nullptr;
    HWND DT_use1 = nullptr;
    HWND Kredit1 = nullptr;
    HWND Radku1 = nullptr;
    HWND MxSn1 = nullptr;
    HWND MxVec1 = nullptr;
    HWND BitBtn5 = nullptr;

    // "Servisní nastavení"
    HWND Rep_write = nullptr;
    HWND Write_error_repeat = nullptr;
    HWND Priority_set = nullptr;
    HWND Delay_add = nullptr;
    HWND InSoubor = nullptr;
    HWND OutSoubor = nullptr;
    HWND Path_data = nullptr;
    HWND Write_bin_output = nullptr;
    HWND Edit2 = nullptr;
    HWND Edit3 = nullptr;
    HWND BitBtn6 = nullptr;
    HWND BitBtn7 = nullptr;
    HWND BitBtn8 = nullptr;

    // "O programu"
    HWND Label30 = nullptr;
    HWND Label26 = nullptr;
    HWND Image2 = nullptr;

    // "Chybová hlášení"
    HWND Memo2 = nullptr;
    HWND JvXPButton5 = nullptr;
    HWND JvXPButton6 = nullptr;
};

} // namespace kelmora::win32
