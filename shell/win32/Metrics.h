// Sizes and fonts at the window's DPI. The window is laid out in pixels at
// 96 DPI and scaled; it is aware of each monitor's DPI (v2) and lays itself
// out again when that changes. The calls that only newer Windows has are
// looked up at run time, so the program still starts where they are missing.
#pragma once

#include "shell/win32/WinApi.h"

namespace kelmora::win32 {

// A length in pixels at 96 DPI, at `dpi`.
inline int Scale(int px, int dpi) {
    return MulDiv(px, dpi, 96);
}

// Per-monitor DPI awareness (v2) where the system has it.
void BecomeDpiAware();
// The DPI of `window`, or the system's.
int DpiOf(HWND window);
// Grows a client rectangle to the window's outer one at `dpi`.
void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// A system metric at `dpi`.
int MetricForDpi(int index, int dpi);

// The fonts of the window at one DPI: the system's message font (normal and
// bold, and for the tabs), and the fixed-pitch font of the result list (9
// points) and of the event log (10 points).
class Fonts {
public:
    Fonts() = default;
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    void Create(int dpi);

    HFONT normal = nullptr;
    HFONT bold = nullptr;
    HFONT fixed9 = nullptr;
    HFONT fixed10 = nullptr;

private:
    void Destroy();
};

} // namespace kelmora::win32
