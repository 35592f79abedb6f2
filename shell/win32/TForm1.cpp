#include "shell/win32/TForm1.h"

#include "shell/ProgramIdentity.h"
#include "shell/form/ControlTable.h"
#include "shell/win32/Dialogs.h"
#include "shell/win32/PageParts.h"
#include "shell/win32/Panels.h"
#include "shell/win32/Pictures.h"
#include "shell/win32/ResourceIds.h"
#include "shell/win32/WinText.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include <cstdlib>

namespace kelmora::win32 {

namespace {

constexpr int kTabHeight = 35;
constexpr int kTabIcon = 24;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle =
    WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

// The window's own timers; the form's are 1 + their FormTimer.
constexpr UINT_PTR kFormTimers = 1;
constexpr UINT_PTR kBalloonTimer = kFormTimers + form::kFormTimerCount;
constexpr UINT_PTR kHelpTimer = kBalloonTimer + 1;
constexpr UINT_PTR kNoteTimer = kNoteTimerId;
constexpr UINT kHelpMs = 6000;

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr || form->Handle() == nullptr) {
        return DefWindowProcW(window, message, w, l);
    }
    // Nothing may unwind through the system's frames.
    try {
        return form->OnMessage(message, w, l);
    } catch (...) {
        return DefWindowProcW(window, message, w, l);
    }
}

LRESULT CALLBACK PathDataProc(HWND edit, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                              DWORD_PTR form) {
    if (message == WM_LBUTTONDBLCLK) {
        reinterpret_cast<TForm1*>(form)->Form().Path_dataDblClick();
        return 0;
    }
    return DefSubclassProc(edit, message, w, l);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered) {
        return;
    }
    registered = true;
    RegisterPanelClasses();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = WindowBrush();
    wc.hIcon = Picture(IDI_KELMORA, GetSystemMetrics(SM_CXICON));
    wc.hIconSm = Picture(IDI_KELMORA, GetSystemMetrics(SM_CXSMICON));
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
}

bool IsInside(HWND window, HWND ancestor) {
    return window == ancestor || IsChild(ancestor, window);
}

} // namespace

TForm1::TForm1(EngineOptions engineOptions, WindowOptions options)
    : engineOptions_(std::move(engineOptions)), options_(std::move(options)) {
    if (!options_.dialogs.message) {
        options_.dialogs.message = ShowMessageBox;
    }
    if (!options_.dialogs.openCommandFile) {
        options_.dialogs.openCommandFile = ShowOpenDialog1;
    }
    if (!options_.dialogs.chooseDirectory) {
        options_.dialogs.chooseDirectory = [this](HWND owner, const std::wstring& start) {
            return win32::ChooseDirectory(owner, start, [this](HWND o, const MessageBox& box) {
                const form::OperatorForm::NestedLoop modal(*form_);
                return options_.dialogs.message(o, box);
            });
        };
    }
    if (!options_.notifyIcon) {
        options_.notifyIcon = SystemNotifyIcon();
    }
    if (!options_.quit) {
        options_.quit = [] { PostQuitMessage(0); };
    }
    BuildWindow();
    form_ = std::make_unique<form::OperatorForm>(*this, *this, engineOptions_, options_.lifeCycle);
    form_->Construct();
}

TForm1::~TForm1() {
    FormDestroy();
    form_.reset();
    tray_.reset();
    if (window_ != nullptr) {
        // What the window still hears while it goes is no longer this one's.
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    if (tabImages_ != nullptr) {
        ImageList_Destroy(tabImages_);
    }
    if (tabFont_ != nullptr) {
        DeleteObject(tabFont_);
    }
}

void TForm1::BuildWindow() {
    RegisterClasses();
    window_ = CreateWindowExW(kExStyle, kFormClass, Wide(form::RowOf("Form1").caption).c_str(),
                              kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    layout_.Name(window_, "Form1");
    dpi_ = DpiOf(window_);
    fonts_.Create(dpi_);
    hints_.Create(window_);

    // The tab control first: the pages, created after it, lie above it.
    ui_.PageControl1 = CreateWindowExW(
        0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
        window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageControl1)),
        GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < 5; ++i) {
        ui_.TabSheets[i] =
            CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                            0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        layout_.Name(ui_.TabSheets[i], "TabSheet" + std::to_string(i + 1));
    }
    BuildControlPage(ui_.TabSheets[0], ui_, layout_, hints_);
    BuildTerminalConfigPage(ui_.TabSheets[1], ui_, layout_, hints_);
    BuildServicePage(ui_.TabSheets[2], ui_, layout_, hints_);
    BuildAboutPage(ui_.TabSheets[3], ui_, layout_, hints_);
    BuildEventLogPage(ui_.TabSheets[4], ui_, layout_, hints_);
    SetTabs(false);
    ShowPage(0);
    layout_.Name(ui_.PageControl1, "PageControl1");

    statusBar_.Create(window_, kStatusBar1);
    ui_.StatusBar1 = statusBar_.Handle();
    layout_.Name(ui_.StatusBar1, "StatusBar1");
    SetWindowSubclass(ui_.Path_data, PathDataProc, 1, reinterpret_cast<DWORD_PTR>(this));

    tray_ = std::make_unique<TrayIcon>(window_, kTrayMessage, kBalloonTimer, options_.notifyIcon);
    trayAvailable_ = tray_->Add();
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    LayoutWindow();
    // Centred on the screen's work area.
    RECT outer{};
    GetWindowRect(window_, &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(window_, nullptr,
                 work.left + (work.right - work.left - (outer.right - outer.left)) / 2,
                 work.top + (work.bottom - work.top - (outer.bottom - outer.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::LayoutWindow() {
    const form::ControlRow& frame = form::RowOf("Form1");
    RECT outer{0, 0, Scale(frame.width, dpi_), Scale(frame.height, dpi_)};
    AdjustForDpi(outer, kStyle, kExStyle, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    SendMessageW(ui_.StatusBar1, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);
    statusBar_.Layout(dpi_);

    const int icon = Scale(kTabIcon, dpi_);
    HIMAGELIST images = ImageList_Create(icon, icon, ILC_COLOR32, 5, 0);
    for (int i = 0; i < 5; ++i) {
        ImageList_AddIcon(images, Picture(IDI_TAB0 + i, icon));
    }
    TabCtrl_SetImageList(ui_.PageControl1, images);
    if (tabImages_ != nullptr) {
        ImageList_Destroy(tabImages_);
    }
    tabImages_ = images;
    TabCtrl_SetPadding(ui_.PageControl1, Scale(4, dpi_), Scale(3, dpi_));
    TabCtrl_SetItemSize(ui_.PageControl1, 0, Scale(kTabHeight, dpi_));

    RECT client{};
    GetClientRect(window_, &client);
    const int margin = Scale(2, dpi_);
    RECT tabs{margin, margin, client.right - margin, client.bottom - statusBar_.Height() - margin};
    SetWindowPos(ui_.PageControl1, nullptr, tabs.left, tabs.top, tabs.right - tabs.left,
                 tabs.bottom - tabs.top, SWP_NOZORDER | SWP_NOACTIVATE);
    FitTabs();
    RECT display = tabs;
    TabCtrl_AdjustRect(ui_.PageControl1, FALSE, &display);
    for (HWND page : ui_.TabSheets) {
        SetWindowPos(page, HWND_TOP, display.left, display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOACTIVATE);
    }
    layout_.Apply(dpi_, fonts_);
    for (HWND quick : ui_.SpeedButtons) {
        SendMessageW(quick, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.bold), TRUE);
    }
    tray_->Refresh();
    InvalidateRect(window_, nullptr, TRUE);
}

// All five tabs fit the window's width: where the message font is too wide
// for them, the tabs' font is smaller (down to 6 points).
void TForm1::FitTabs() {
    const bool eventLogTab = eventLogTab_;
    SetTabs(true);
    RECT area{};
    GetClientRect(ui_.PageControl1, &area);
    LOGFONTW font{};
    GetObjectW(fonts_.normal, sizeof font, &font);
    const int smallest = MulDiv(6, dpi_, 72);
    for (;;) {
        HFONT next = CreateFontIndirectW(&font);
        SendMessageW(ui_.PageControl1, WM_SETFONT, reinterpret_cast<WPARAM>(next), FALSE);
        if (tabFont_ != nullptr) {
            DeleteObject(tabFont_);
        }
        tabFont_ = next;
        RECT last{};
        TabCtrl_GetItemRect(ui_.PageControl1, 4, &last);
        if (last.right < area.right - Scale(2, dpi_) || std::abs(font.lfHeight) <= smallest) {
            break;
        }
        font.lfHeight += font.lfHeight < 0 ? 1 : -1;
    }
    SetTabs(eventLogTab);
}

void TForm1::SetTabs(bool eventLogTab) {
    const int wanted = eventLogTab ? 5 : 4;
    if (TabCtrl_GetItemCount(ui_.PageControl1) == wanted) {
        eventLogTab_ = eventLogTab;
        return;
    }
    eventLogTab_ = eventLogTab;
    TabCtrl_DeleteAllItems(ui_.PageControl1);
    const std::vector<form::ControlRow> pages = form::RowsOfKind(form::Kind::Page);
    for (int i = 0; i < wanted; ++i) {
        std::wstring title = Wide(pages[i].caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = title.data();
        item.iImage = i;
        TabCtrl_InsertItem(ui_.PageControl1, i, &item);
    }
    TabCtrl_SetCurSel(ui_.PageControl1, activePage_ < wanted ? activePage_ : 0);
}

void TForm1::FormCreate() {
    if (form_->FormCreate()) {
        SetPropW(window_, kReadyProperty, reinterpret_cast<HANDLE>(1));
    }
}

void TForm1::FormDestroy() {
    if (form_ && form_->FormDestroy()) {
        tray_->Remove();
        RemovePropW(window_, kReadyProperty);
    }
}

bool TForm1::PreTranslate(const MSG& message) {
    // Enter sends from the command line and presses a focused button; an
    // open list takes it for itself, and elsewhere it does nothing.
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN ||
        !IsInside(message.hwnd, window_)) {
        return false;
    }
    for (HWND list : {ui_.K_Baud1, ui_.Rep_write, ui_.Delay_add, ui_.Port[0], ui_.Port[1],
                      ui_.Port[2], ui_.Port[3]}) {
        if (IsInside(message.hwnd, list) && SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0)) {
            return false;
        }
    }
    return form_->EnterPressed(layout_.NameOf(message.hwnd));
}

LRESULT TForm1::OnMessage(UINT message, WPARAM w, LPARAM l) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        tray_->AddAgain();
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(w), HIWORD(w));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(l);
        if (header->hwndFrom == ui_.PageControl1 && header->code == TCN_SELCHANGE) {
            ShowPage(TabCtrl_GetCurSel(ui_.PageControl1));
        }
        return 0;
    }
    case WM_DRAWITEM:
        DrawQuickButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(w);
        const auto control = reinterpret_cast<HWND>(l);
        if (control == ui_.Memo2) {
            // Read-only, but a text to read: the base colour of a text, as the
            // Qt window shows it, not the grey of a disabled field.
            SetBkColor(dc, kBaseColour);
            return reinterpret_cast<LRESULT>(BaseBrush());
        }
        SetBkColor(dc, kWindowColour);
        if (control == ui_.Label26) {
            SetTextColor(dc, RGB(0x80, 0x80, 0x80));
        }
        return reinterpret_cast<LRESULT>(WindowBrush());
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        SetBkColor(reinterpret_cast<HDC>(w), kBaseColour);
        return reinterpret_cast<LRESULT>(BaseBrush());
    case WM_TIMER:
        OnTimer(w);
        return 0;
    case kTrayMessage:
        if (tray_->OnCallback(l, w)) {
            form_->Show_windowClick();
        }
        return 0;
    case kHandOverMessage:
        form_->RunHandOvers();
        return 0;
    case kStopMessage:
        RequestQuit();
        return 0;
    case WM_CLOSE:
        if (form_->FormClose()) {
            ::ShowWindow(window_, SW_HIDE);
        }
        return 0;
    case WM_QUERYENDSESSION:
        // The session ends: no question that would hold it up, and a job
        // ends after its current command.
        GetEngine().RequestStop();
        RequestQuit();
        return TRUE;
    case WM_ENDSESSION:
        if (w != FALSE) {
            FormDestroy(); // the process ends when this returns
        }
        return 0;
    case WM_HELP: {
        const auto* help = reinterpret_cast<const HELPINFO*>(l);
        hints_.ShowHelp(static_cast<HWND>(help->hItemHandle), help->MousePos);
        SetTimer(window_, kHelpTimer, kHelpMs, nullptr);
        return TRUE;
    }
    case WM_CONTEXTMENU: {
        const auto clicked = reinterpret_cast<HWND>(w);
        if (IsInside(clicked, ui_.TabSheets[1]) || IsInside(clicked, ui_.TabSheets[2])) {
            POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            if (at.x == -1 && at.y == -1) {
                GetCursorPos(&at);
            }
            tray_->ShowMenu(at);
        }
        return 0;
    }
    case WM_SETCURSOR:
        if (cursor_ != CursorShape::Default || busyPointer_) {
            ::SetCursor(LoadCursorW(nullptr, cursor_ == CursorShape::HourGlass ? IDC_WAIT
                                                                               : IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_SHOWWINDOW:
        if (w == FALSE) {
            form_->WindowHidden();
        }
        break;
    case WM_SIZE:
        if (w == SIZE_MINIMIZED) {
            form_->WindowHidden();
        }
        break;
    case WM_ACTIVATE:
        hints_.HideHelp();
        if (LOWORD(w) != WA_INACTIVE) {
            form_->WindowActivated();
        }
        break;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(w);
        fonts_.Create(dpi_);
        const auto* suggested = reinterpret_cast<const RECT*>(l);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutWindow();
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(window_, message, w, l);
}

void TForm1::OnTimer(UINT_PTR id) {
    if (id >= kFormTimers && id < kFormTimers + form::kFormTimerCount) {
        form_->OnTimer(static_cast<form::FormTimer>(id - kFormTimers));
        return;
    }
    switch (id) {
    case kBalloonTimer:
        tray_->OnTimer();
        break;
    case kHelpTimer:
        KillTimer(window_, kHelpTimer);
        hints_.HideHelp();
        break;
    case kNoteTimer:
        KillTimer(window_, kNoteTimer);
        statusBar_.HideNote();
        break;
    default:
        break;
    }
}

void TForm1::OnCommand(int id, int code) {
    if (id >= kIndicator1 && id < kIndicator1 + 4 && code == BN_CLICKED) {
        form_->TerminalIndicatorClick(id - kIndicator1);
        return;
    }
    const std::string_view name = ControlName(id);
    if (name == "Edit1" && code == EN_CHANGE) {
        form_->Edit1Change();
    } else if (name == "Delay_add" && code == CBN_SELCHANGE) {
        form_->Delay_addChange();
    } else if (code == BN_CLICKED) { // menu entries come with 0, which is BN_CLICKED
        form_->Press(name);
    }
}

// A quick button: the themed push button with its caption blue and bold.
void TForm1::DrawQuickButton(const DRAWITEMSTRUCT& item) {
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    RECT r = item.rcItem;
    if (HTHEME theme = OpenThemeData(item.hwndItem, L"BUTTON")) {
        const int state = disabled ? PBS_DISABLED : pressed ? PBS_PRESSED : PBS_NORMAL;
        DrawThemeParentBackground(item.hwndItem, item.hDC, &r);
        DrawThemeBackground(theme, item.hDC, BP_PUSHBUTTON, state, &r, nullptr);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }
    wchar_t text[16] = L"";
    GetWindowTextW(item.hwndItem, text, 16);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : kQuickButtonText);
    HGDIOBJ old = SelectObject(item.hDC, fonts_.bold);
    if (pressed) {
        OffsetRect(&r, 1, 1);
    }
    DrawTextW(item.hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, old);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -Scale(3, dpi_), -Scale(3, dpi_));
        DrawFocusRect(item.hDC, &focus);
    }
}

} // namespace kelmora::win32
