// Page "O programu": the about text, the build date and the picture.
#include "shell/form/ControlTable.h"
#include "shell/win32/PageParts.h"
#include "shell/win32/Panels.h"

namespace kelmora::win32 {

void BuildAboutPage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    ui.Label30 = page.Label("Label30", At(20, 12, 380, 200), SS_LEFT | SS_NOPREFIX);
    ui.Label26 = page.Label("Label26", At(20, kPageHeight - 30, 380, 16), SS_CENTER);
    const form::ControlRow& picture = form::RowOf("Image2");
    ui.Image2 = page.Other("Image2", kPictureClass,
                           At(kPageWidth - 14 - picture.width, (kPageHeight - picture.height) / 2,
                              picture.width, picture.height),
                           0);
}

} // namespace kelmora::win32
