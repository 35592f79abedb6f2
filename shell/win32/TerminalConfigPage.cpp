// Page "Konfigurace terminálů": address, port and connection of the four
// slots, and the settings common to all terminals.
#include "shell/form/ConfigurationPages.h"
#include "shell/win32/PageParts.h"
#include "shell/win32/ResourceIds.h"

namespace kelmora::win32 {

namespace {

using form::SlotControl;

void BuildSlotGroup(PageParts& page, Controls& ui, int i) {
    const int x = 8 + 145 * i;
    ui.GroupBoxes[i] = page.Group(SlotControl("GroupBox", i), At(x, 6, 137, 104));
    page.Label(SlotControl("LabelAdr", i), At(x + 10, 30, 48, 16));
    ui.Adr[i] = page.Edit(SlotControl("Adr", i), At(x + 62, 26, 48, 22));
    page.Label(SlotControl("LabelPort", i), At(x + 10, 56, 48, 16));
    ui.Port[i] = page.Combo(SlotControl("Port", i), At(x + 62, 52, 66, 240), 12);
    ui.Pripojen[i] = page.Check(SlotControl("Pripojen", i), At(x + 10, 80, 90, 20));
}

} // namespace

void BuildTerminalConfigPage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    for (int i = 0; i < 4; ++i) {
        BuildSlotGroup(page, ui, i);
    }

    page.Label("Label13", At(12, 126, 100, 16));
    ui.K_Baud1 = page.Combo("K_Baud1", At(116, 122, 80, 200), 5);
    page.Label("Label14", At(12, 154, 100, 16));
    ui.Radku1 = page.Edit("Radku1", At(116, 150, 80, 22));
    page.Label("Label15", At(12, 182, 100, 16));
    ui.MxSn1 = page.Edit("MxSn1", At(116, 178, 80, 22));
    page.Label("Label16", At(12, 210, 100, 16));
    ui.MxVec1 = page.Edit("MxVec1", At(116, 206, 80, 22));

    // As wide as each other: the boxes line up on the right.
    ui.Mark1 = page.Check("Mark1", At(250, 124, 130, 20));
    ui.CCode1 = page.Check("CCode1", At(250, 150, 130, 20));
    ui.DT_use1 = page.Check("DT_use1", At(250, 176, 130, 20));
    ui.Kredit1 = page.Check("Kredit1", At(250, 202, 130, 20));

    ui.BitBtn5 =
        page.Button("BitBtn5", IDI_GLYPH0 + 4, At(kPageWidth - 128, kPageHeight - 34, 120, 26));
}

} // namespace kelmora::win32
