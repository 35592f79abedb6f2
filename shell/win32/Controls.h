// The controls of the Win32 main window by their component names, as the page
// builders create them. Every control is a child of its page (the selector's
// items and the indicators of the panel Terminaly1), and its command ID is
// its place in ControlId.
#pragma once

#include "shell/win32/WinApi.h"

#include <array>

namespace kelmora::win32 {

enum ControlId : int {
    kNoId = 0,
    kSelektT1 = 100, // .. kSelektT1 + 3
    kEdit1 = 110,
    kBitBtn4,
    kSpeedButton1, // .. + 3
    kBitBtn1 = kSpeedButton1 + 4,
    kBitBtn2,
    kBitBtn3,
    kMemo1,
    kAdr1 = 130,      // .. + 3
    kPort1 = 140,     // .. + 3
    kPripojen1 = 150, // .. + 3
    kK_Baud1 = 160,
    kMark1,
    kCCode1,
    kDT_use1,
    kKredit1,
    kRadku1,
    kMxSn1,
    kMxVec1,
    kBitBtn5,
    kRep_write = 180,
    kWrite_error_repeat,
    kPriority_set,
    kDelay_add,
    kInSoubor,
    kOutSoubor,
    kPath_data,
    kWrite_bin_output,
    kEdit2,
    kEdit3,
    kBitBtn6,
    kBitBtn7,
    kBitBtn8,
    kMemo2 = 200,
    kJvXPButton5,
    kJvXPButton6,
    kIndicator1 = 210, // .. + 3
    kPageControl1 = 220,
    kStatusBar1,
    kMenuShow = 300, // the notification-area menu
    kMenuHide,
    kMenuQuit,
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
