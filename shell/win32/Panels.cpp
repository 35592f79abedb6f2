#include "shell/win32/Panels.h"

#include "shell/win32/Metrics.h"
#include "shell/win32/Pictures.h"
#include "shell/win32/ResourceIds.h"

#include <windowsx.h>

#include <algorithm>

namespace kelmora::win32 {

namespace {

// WM_ERASEBKGND: the window's colour under everything.
LRESULT FillBackground(HWND window, WPARAM dc) {
    RECT area;
    GetClientRect(window, &area);
    FillRect(reinterpret_cast<HDC>(dc), &area, WindowBrush());
    return 1;
}

// WM_PAINT, or WM_PRINTCLIENT into the given context (the tests look at the
// pixels that way): the background, then `draw` over the client area.
template <typename Draw>
LRESULT Paint(HWND window, UINT message, WPARAM w, Draw&& draw) {
    PAINTSTRUCT paint{};
    HDC dc = message == WM_PAINT ? BeginPaint(window, &paint) : reinterpret_cast<HDC>(w);
    if (message == WM_PRINTCLIENT) {
        SendMessageW(window, WM_ERASEBKGND, w, 0);
    }
    RECT area;
    GetClientRect(window, &area);
    draw(dc, area);
    if (message == WM_PAINT) {
        EndPaint(window, &paint);
    }
    return 0;
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CONTEXTMENU:
        return SendMessageW(GetAncestor(window, GA_ROOT), message, w, l);
    case WM_ERASEBKGND:
        return FillBackground(window, w);
    default:
        return DefWindowProcW(window, message, w, l);
    }
}

int StateOf(HWND window) {
    return static_cast<int>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The Led and the indicator: a picture chosen by their state.
LRESULT StatePictureProc(HWND window, UINT message, WPARAM w, LPARAM l, int firstPicture) {
    switch (message) {
    case kSetState:
        if (StateOf(window) != static_cast<int>(w)) {
            SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(w));
            InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
    case kGetState:
        return StateOf(window);
    case WM_ERASEBKGND:
        return FillBackground(window, w);
    case WM_PAINT:
    case WM_PRINTCLIENT:
        return Paint(window, message, w, [&](HDC dc, const RECT& area) {
            const int size = std::min(area.right, area.bottom);
            DrawPicture(dc, firstPicture + StateOf(window), (area.right - size) / 2,
                        (area.bottom - size) / 2, size);
        });
    default:
        return DefWindowProcW(window, message, w, l);
    }
}

LRESULT CALLBACK LedProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return StatePictureProc(window, message, w, l, IDI_LED0);
}

LRESULT CALLBACK IndicatorProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_LBUTTONUP) {
        // The icon is the square less 4 of its 32 pixels on every side.
        RECT area;
        GetClientRect(window, &area);
        const int inset = area.right * 4 / 32;
        const POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        InflateRect(&area, -inset, -inset);
        if (PtInRect(&area, at)) {
            SendMessageW(GetParent(window), WM_COMMAND,
                         MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                         reinterpret_cast<LPARAM>(window));
        }
        return 0;
    }
    return StatePictureProc(window, message, w, l, IDI_INDICATOR0);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_ERASEBKGND) {
        return FillBackground(window, w);
    }
    if (message != WM_PAINT && message != WM_PRINTCLIENT) {
        return DefWindowProcW(window, message, w, l);
    }
    return Paint(window, message, w, [&](HDC dc, const RECT& area) {
        SIZE size{};
        if (HBITMAP picture = AboutPicture(DpiOf(window), size)) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, picture);
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            SetStretchBltMode(dc, HALFTONE);
            AlphaBlend(dc, 0, 0, area.right, area.bottom, source, 0, 0, size.cx, size.cy, blend);
            SelectObject(source, old);
            DeleteDC(source);
        }
    });
}

void Register(const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

} // namespace

HBRUSH WindowBrush() {
    static HBRUSH brush = CreateSolidBrush(kWindowColour);
    return brush;
}

HBRUSH BaseBrush() {
    static HBRUSH brush = CreateSolidBrush(kBaseColour);
    return brush;
}

void RegisterPanelClasses() {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    Register(kPanelClass, PanelProc, arrow);
    Register(kLedClass, LedProc, arrow);
    Register(kIndicatorClass, IndicatorProc, LoadCursorW(nullptr, IDC_HAND));
    Register(kPictureClass, PictureProc, arrow);
}

} // namespace kelmora::win32
