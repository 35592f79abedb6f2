// Page "O programu": the about text, the build date and the picture.
#include "shell/win32/PageParts.h"
#include "shell/win32/Panels.h"

namespace kelmora::win32 {

void BuildAboutPage(HWND sheet, Controls& ui, Layout& layout, Hints& hints) {
    PageParts page(sheet, layout, hints);
    ui.Label30 = page.Label("Label30",
                            L"Program KELMORA 2013\n"
                            L"\n"
                            L"Program Kelmora je určen pro počítače s operačním systémem\n"
                            L"\n"
                            L"®Windows 7,\n"
                            L"®Windows 8,",
                            At(20, 12, 380, 200), false, SS_LEFT | SS_NOPREFIX);
    ui.Label26 = page.Label("Label26", L"", At(20, kPageHeight - 30, 380, 16), false, SS_CENTER);
    ui.Image2 = page.Other("Image2", kPictureClass, 0,
                           At(kPageWidth - 14 - 145, (kPageHeight - 311) / 2, 145, 311), 0);
}

} // namespace kelmora::win32
