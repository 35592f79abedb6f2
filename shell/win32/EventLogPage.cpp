// Page "Chybová hlášení": the event log, and the buttons to leave the page
// and to clear the log.
#include "shell/win32/PageParts.h"
#include "shell/win32/ResourceIds.h"

namespace kelmora::win32 {

void BuildEventLogPage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    const int buttons = kPageHeight - 34;
    ui.Memo2 = page.Other("Memo2", L"EDIT", At(6, 6, kPageWidth - 12, buttons - 12),
                          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                          WS_EX_CLIENTEDGE, FontRole::Fixed10);
    ui.JvXPButton5 = page.Button("JvXPButton5", IDI_GLYPH0 + 7, At(6, buttons, 120, 26));
    ui.JvXPButton6 =
        page.Button("JvXPButton6", IDI_GLYPH0 + 8, At(kPageWidth - 126, buttons, 120, 26));
}

} // namespace kelmora::win32
