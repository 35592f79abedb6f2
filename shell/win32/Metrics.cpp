#include "shell/win32/Metrics.h"

#include <initializer_list>

namespace kelmora::win32 {

namespace {

template <typename Function>
Function UserCall(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));

// The message font at `dpi`.
LOGFONTW MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    if (const auto forDpi = UserCall<ForDpi>("SystemParametersInfoForDpi");
        forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        return metrics.lfMessageFont;
    }
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi);
    return metrics.lfMessageFont;
}

HFONT FixedFont(int points, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(points, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = EASTEUROPE_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcscpy_s(font.lfFaceName, L"Courier New");
    return CreateFontIndirectW(&font);
}

} // namespace

void BecomeDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (const auto set = UserCall<SetContext>("SetProcessDpiAwarenessContext")) {
        if (set(kPerMonitorV2)) {
            return;
        }
    }
    using SetAware = BOOL(WINAPI*)();
    if (const auto set = UserCall<SetAware>("SetProcessDPIAware")) {
        set();
    }
}

int DpiOf(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    if (const auto forWindow = UserCall<ForWindow>("GetDpiForWindow");
        forWindow != nullptr && window != nullptr) {
        if (const UINT dpi = forWindow(window); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    if (const auto adjust = UserCall<Adjust>("AdjustWindowRectExForDpi")) {
        if (adjust(&rect, style, FALSE, exStyle, dpi)) {
            return;
        }
    }
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

int MetricForDpi(int index, int dpi) {
    using ForDpi = int(WINAPI*)(int, UINT);
    if (const auto forDpi = UserCall<ForDpi>("GetSystemMetricsForDpi")) {
        return forDpi(index, dpi);
    }
    return GetSystemMetrics(index);
}

Fonts::~Fonts() {
    Destroy();
}

void Fonts::Destroy() {
    for (HFONT* font : {&normal, &bold, &fixed9, &fixed10}) {
        if (*font != nullptr) {
            DeleteObject(*font);
            *font = nullptr;
        }
    }
}

void Fonts::Create(int dpi) {
    Destroy();
    LOGFONTW message = MessageFont(dpi);
    normal = CreateFontIndirectW(&message);
    message.lfWeight = FW_BOLD;
    bold = CreateFontIndirectW(&message);
    fixed9 = FixedFont(9, dpi);
    fixed10 = FixedFont(10, dpi);
}

} // namespace kelmora::win32
