// Page "Ovládání terminálu": the slot selector with the four indicators, the
// quick commands, the watcher's bar and lamp, the job buttons, the command
// line and the result list.
#include "shell/win32/PageParts.h"
#include "shell/win32/Panels.h"
#include "shell/win32/ResourceIds.h"

#include <commctrl.h>

#include <string>

namespace kelmora::win32 {

namespace {

// The selector "Terminál" fills the panel: its items on top and, from
// y = 40, the indicators, each under its item.
void BuildTerminalPanel(PageParts& page, Controls& ui, Layout& layout, Hints& hints) {
    ui.Terminaly1 = page.Panel("Terminaly1", At(8, 6, 232, 80));
    PageParts panel(ui.Terminaly1, layout, hints);
    ui.Selekt = panel.Group("Selekt", At(0, 0, 232, 80));
    for (int i = 0; i < 4; ++i) {
        ui.SelektItems[i] =
            panel.Radio("Selekt_T" + std::to_string(i + 1), At(12 + 55 * i, 18, 44, 18), i == 0);
    }
    SendMessageW(ui.SelektItems[0], BM_SETCHECK, BST_CHECKED, 0);
    for (int i = 0; i < 4; ++i) {
        // Outside the table: a control of this window's own class, named for the tests.
        const std::string name = "Indicator" + std::to_string(i + 1);
        ui.Indicators[i] =
            CreateWindowExW(0, kIndicatorClass, L"", WS_CHILD, 0, 0, 0, 0, ui.Terminaly1,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIndicator1 + i)),
                            GetModuleHandleW(nullptr), nullptr);
        layout.Add(ui.Indicators[i], name, At(10 + 55 * i, 40, 32, 32));
        SendMessageW(ui.Indicators[i], kSetState, 3, 0); // hidden until the slot is classified
    }
}

} // namespace

void BuildControlPage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    BuildTerminalPanel(page, ui, layout, hints);

    for (int i = 0; i < 4; ++i) {
        ui.SpeedButtons[i] = page.Other("SpeedButton" + std::to_string(i + 1), L"BUTTON",
                                        At(254 + 38 * (i % 2), 12 + 30 * (i / 2), 34, 26),
                                        WS_TABSTOP | BS_OWNERDRAW);
    }

    ui.ProgressBar1 =
        page.Other("ProgressBar1", PROGRESS_CLASSW, At(336, 8, 14, 78), PBS_VERTICAL | PBS_SMOOTH);
    SendMessageW(ui.ProgressBar1, PBM_SETRANGE32, 0, 100);
    ui.JvLED1 = page.Other("JvLED1", kLedClass, At(358, 8, 20, 20), 0);
    SendMessageW(ui.JvLED1, kSetState, 1, 0);

    ui.BitBtn1 = page.Button("BitBtn1", IDI_GLYPH0 + 1, At(424, 8, 156, 24));
    ui.BitBtn2 = page.Button("BitBtn2", IDI_GLYPH0 + 2, At(424, 35, 156, 24));
    ui.BitBtn3 = page.Button("BitBtn3", IDI_GLYPH0 + 3, At(424, 62, 156, 24));

    ui.Label29 = page.Label("Label29", At(8, 100, 104, 16));
    ui.Edit1 = page.Edit("Edit1", At(114, 96, 302, 23));
    ui.BitBtn4 = page.Button("BitBtn4", IDI_GLYPH0 + 0, At(424, 96, 156, 24));

    ui.Label17 = page.Label("Label17", At(8, 128, 400, 16));
    ui.Memo1 = page.Other("Memo1", L"LISTBOX", At(8, 146, 572, 174),
                          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                          WS_EX_CLIENTEDGE, FontRole::Fixed9);
}

} // namespace kelmora::win32
