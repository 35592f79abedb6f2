// Page "Servisní nastavení": attempts, failure handling, priority, the
// MASTER-test extension, file names and data path, the fixed line timing,
// and the clock, event-log and save buttons.
#include "shell/win32/PageParts.h"
#include "shell/win32/ResourceIds.h"

namespace kelmora::win32 {

void BuildServicePage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    constexpr int kLabelWidth = 272;
    constexpr int kField = 286;

    page.Label("Label19", At(10, 14, kLabelWidth, 16));
    ui.Rep_write = page.Combo("Rep_write", At(kField, 10, 56, 240), 9);
    page.Label("Label27", At(10, 42, kLabelWidth, 16));
    ui.Delay_add = page.Combo("Delay_add", At(kField, 38, 72, 300), 15);
    page.Label("Label1", At(10, 70, kLabelWidth, 16));
    ui.InSoubor = page.Edit("InSoubor", At(kField, 66, 130, 22));
    page.Label("Label2", At(10, 98, kLabelWidth, 16));
    ui.OutSoubor = page.Edit("OutSoubor", At(kField, 94, 130, 22));
    page.Label("Label18", At(10, 126, kLabelWidth, 16));
    ui.Path_data = page.Edit("Path_data", At(kField, 122, kPageWidth - 8 - kField, 22));
    page.Label("Label4", At(10, 154, kLabelWidth, 16));
    ui.Edit2 = page.Edit("Edit2", At(kField, 150, 56, 22), ES_RIGHT | ES_READONLY);
    ui.Edit3 = page.Edit("Edit3", At(kField + 62, 150, 56, 22), ES_RIGHT | ES_READONLY);
    EnableWindow(ui.Edit2, FALSE);
    EnableWindow(ui.Edit3, FALSE);

    // As wide as each other: the boxes line up on the right.
    ui.Write_error_repeat = page.Check("Write_error_repeat", At(10, 186, 300, 20));
    ui.Priority_set = page.Check("Priority_set", At(10, 210, 300, 20));
    ui.Write_bin_output = page.Check("Write_bin_output", At(10, 234, 300, 20));

    const int bottom = kPageHeight - 34;
    ui.BitBtn6 = page.Button("BitBtn6", IDI_GLYPH0 + 5, At(10, bottom, 120, 26));
    ui.BitBtn7 = page.Button("BitBtn7", IDI_GLYPH0 + 6, At(138, bottom, 120, 26));
    ui.BitBtn8 = page.Button("BitBtn8", IDI_GLYPH0 + 4, At(kPageWidth - 128, bottom, 120, 26));
}

} // namespace kelmora::win32
