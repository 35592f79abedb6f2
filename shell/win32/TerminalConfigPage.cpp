// Page "Konfigurace terminálů": address, port and connection of the four
// slots, and the settings common to all terminals.
#include "shell/win32/PageParts.h"
#include "shell/win32/ResourceIds.h"

#include <string>

namespace kelmora::win32 {

namespace {

void BuildSlotGroup(PageParts& page, Controls& ui, int i) {
    const std::string n = std::to_string(i + 1);
    const std::wstring title = L"Terminál " + std::to_wstring(i + 1);
    const int x = 8 + 145 * i;
    ui.GroupBoxes[i] =
        page.Group(("GroupBox" + n).c_str(), title.c_str(), At(x, 6, 137, 104), true);
    page.Label(("LabelAdr" + n).c_str(), L"Adresa", At(x + 10, 30, 48, 16));
    ui.Adr[i] = page.Edit(("Adr" + n).c_str(), kAdr1 + i, At(x + 62, 26, 48, 22));
    page.Label(("LabelPort" + n).c_str(), L"Port", At(x + 10, 56, 48, 16));
    ui.Port[i] = page.Combo(("Port" + n).c_str(), kPort1 + i, At(x + 62, 52, 66, 240), {}, 12);
    ui.Pripojen[i] =
        page.Check(("Pripojen" + n).c_str(), kPripojen1 + i, L"Připojen", At(x + 10, 80, 90, 20));
    if (i == 0) {
        page.Hint(ui.Adr[i], L"Fyzická adresa terminálu (např. 1,2,15...)");
        page.Hint(ui.Port[i], L"Komunikační port RS232 na počítači (COM1, COM2...)");
        page.Hint(ui.Pripojen[i], L"Povolení komunikace s tímto terminálem, pokud není zatržen, "
                                  L"tak nebude komunikovat.");
    }
}

} // namespace

void BuildTerminalConfigPage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    for (int i = 0; i < 4; ++i) {
        BuildSlotGroup(page, ui, i);
    }

    page.Label("Label13", L"Rychlost BAUD", At(12, 126, 100, 16));
    ui.K_Baud1 = page.Combo("K_Baud1", kK_Baud1, At(116, 122, 80, 200),
                            {L"1200", L"2400", L"4800", L"9600", L"19200"}, 5);
    page.Hint(ui.K_Baud1, L"Rychlost komunikace");
    page.Label("Label14", L"Kapacita", At(12, 154, 100, 16));
    ui.Radku1 = page.Edit("Radku1", kRadku1, At(116, 150, 80, 22));
    page.Hint(ui.Radku1, L"Maximální počet lidí pro tento terminál");
    page.Label("Label15", L"Max. p. snidaní", At(12, 182, 100, 16));
    ui.MxSn1 = page.Edit("MxSn1", kMxSn1, At(116, 178, 80, 22));
    page.Label("Label16", L"Max. p. večeří", At(12, 210, 100, 16));
    ui.MxVec1 = page.Edit("MxVec1", kMxVec1, At(116, 206, 80, 22));

    // As wide as each other: the boxes line up on the right.
    ui.Mark1 = page.Check("Mark1", kMark1, L"Parita MARK", At(250, 124, 130, 20));
    ui.CCode1 = page.Check("CCode1", kCCode1, L"Kódování", At(250, 150, 130, 20));
    ui.DT_use1 = page.Check("DT_use1", kDT_use1, L"Používat DT", At(250, 176, 130, 20));
    ui.Kredit1 = page.Check("Kredit1", kKredit1, L"Kredit", At(250, 202, 130, 20));

    ui.BitBtn5 = page.Button("BitBtn5", kBitBtn5, L"Uložit CFG", IDI_GLYPH0 + 4,
                             At(kPageWidth - 128, kPageHeight - 34, 120, 26));
}

} // namespace kelmora::win32
