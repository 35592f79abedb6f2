#include "shell/win32/TForm1.h"

#include "shell/ProgramIdentity.h"
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

constexpr int kClientWidth = 600;
constexpr int kClientHeight = 400;
constexpr int kTabHeight = 35;
constexpr int kTabIcon = 24;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle =
    WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

// The window's timers.
constexpr UINT_PTR kTimer1 = 1; // the watchdog, every 10 s
constexpr UINT_PTR kTimer2 = 2; // the display, every second
constexpr UINT_PTR kRetryTimer = 3;
constexpr UINT_PTR kQuitTimer = 4;
constexpr UINT_PTR kBalloonTimer = 5;
constexpr UINT_PTR kHelpTimer = 6;
constexpr UINT_PTR kNoteTimer = 7;
constexpr UINT kWatchdogMs = 10000;
constexpr UINT kDisplayMs = 1000;
// How often a hand-over held back by a running job, and a confirmed close
// waiting for the job's end, look again.
constexpr UINT kRetryMs = 50;
constexpr UINT kHelpMs = 6000;

const wchar_t* const kPageTitles[5] = {L"Ovládání terminálu", L"Konfigurace terminálů",
                                       L"Servisní nastavení", L"O programu", L"Chybová hlášení"};

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
        reinterpret_cast<TForm1*>(form)->Path_dataDblClick();
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
            return ChooseDirectory(owner, start,
                                   [this](HWND o, const MessageBox& box) { return Ask(o, box); });
        };
    }
    if (!options_.notifyIcon) {
        options_.notifyIcon = SystemNotifyIcon();
    }
    if (!options_.quit) {
        options_.quit = [] { PostQuitMessage(0); };
    }
    BuildWindow();
    SetTimer(form_, kTimer2, kDisplayMs, nullptr);
    life_ = std::make_unique<LifeCycle>(*this, *this, engineOptions_, options_.lifeCycle);
    engine_ = &life_->GetEngine();
    life_->Construct();
}

TForm1::~TForm1() {
    FormDestroy();
    life_.reset();
    tray_.reset();
    if (form_ != nullptr) {
        // What the window still hears while it goes is no longer this one's.
        SetWindowLongPtrW(form_, GWLP_USERDATA, 0);
        DestroyWindow(form_);
        form_ = nullptr;
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
    form_ = CreateWindowExW(kExStyle, kFormClass, Wide(kWindowCaption).c_str(), kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
    layout_.Name(form_, "Form1");
    dpi_ = DpiOf(form_);
    fonts_.Create(dpi_);
    hints_.Create(form_);

    // The tab control first: the pages, created after it, lie above it.
    ui_.PageControl1 = CreateWindowExW(
        0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
        form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageControl1)),
        GetModuleHandleW(nullptr), nullptr);
    layout_.Name(ui_.PageControl1, "PageControl1");
    for (int i = 0; i < 5; ++i) {
        ui_.TabSheets[i] =
            CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                            0, 0, form_, nullptr, GetModuleHandleW(nullptr), nullptr);
        layout_.Name(ui_.TabSheets[i], "TabSheet" + std::to_string(i + 1));
    }
    BuildControlPage(ui_.TabSheets[0], ui_, layout_, hints_);
    BuildTerminalConfigPage(ui_.TabSheets[1], ui_, layout_, hints_);
    BuildServicePage(ui_.TabSheets[2], ui_, layout_, hints_);
    BuildAboutPage(ui_.TabSheets[3], ui_, layout_, hints_);
    BuildEventLogPage(ui_.TabSheets[4], ui_, layout_, hints_);
    SetTabs(false);
    ShowPage(0);

    statusBar_.Create(form_, kStatusBar1);
    ui_.StatusBar1 = statusBar_.Handle();
    layout_.Name(ui_.StatusBar1, "StatusBar1");
    SetWindowSubclass(ui_.Path_data, PathDataProc, 1, reinterpret_cast<DWORD_PTR>(this));

    tray_ = std::make_unique<TrayIcon>(form_, kTrayMessage, kBalloonTimer, options_.notifyIcon);
    trayAvailable_ = tray_->Add();
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    LayoutWindow();
    // Centred on the screen's work area.
    RECT outer{};
    GetWindowRect(form_, &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(form_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(form_, nullptr,
                 work.left + (work.right - work.left - (outer.right - outer.left)) / 2,
                 work.top + (work.bottom - work.top - (outer.bottom - outer.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::LayoutWindow() {
    RECT outer{0, 0, Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_)};
    AdjustForDpi(outer, kStyle, kExStyle, dpi_);
    SetWindowPos(form_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
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
    GetClientRect(form_, &client);
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
    InvalidateRect(form_, nullptr, TRUE);
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
    for (int i = 0; i < wanted; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<wchar_t*>(kPageTitles[i]);
        item.iImage = i;
        TabCtrl_InsertItem(ui_.PageControl1, i, &item);
    }
    TabCtrl_SetCurSel(ui_.PageControl1, activePage_ < wanted ? activePage_ : 0);
}

void TForm1::ShowPage(int page) {
    activePage_ = page;
    TabCtrl_SetCurSel(ui_.PageControl1, page);
    for (int i = 0; i < 5; ++i) {
        ::ShowWindow(ui_.TabSheets[i], i == page ? SW_SHOW : SW_HIDE);
    }
}

void TForm1::FormCreate() {
    if (life_->Created() || destroyed_) {
        return;
    }
    life_->Create();
    if (!trayAvailable_ && !IsWindowVisible(form_)) {
        ShowWindow();
    }
    SetPropW(form_, kReadyProperty, reinterpret_cast<HANDLE>(1));
}

void TForm1::FormDestroy() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    KillTimer(form_, kQuitTimer);
    KillTimer(form_, kRetryTimer);
    if (life_) {
        life_->Destroy();
    }
    KillTimer(form_, kTimer2);
    tray_->Remove();
    RemovePropW(form_, kReadyProperty);
}

void TForm1::FillConfigurationPages(const Configuration&) {
    FillConfigurationPages();
}

std::string TForm1::RequestFileName() const {
    return Cp(TextOf(ui_.InSoubor));
}

void TForm1::EnableWatchdog(bool enabled) {
    timer1Active_ = enabled;
    if (enabled) {
        SetTimer(form_, kTimer1, kWatchdogMs, nullptr);
    } else {
        KillTimer(form_, kTimer1);
    }
}

void TForm1::WakeForHandOver() {
    // From the watcher's thread: the hand-over runs on this window's thread.
    PostMessageW(form_, kHandOverMessage, 0, 0);
}

void TForm1::TellIgnored(bool takenUp) {
    if (takenUp) {
        return;
    }
    ShowNote(engine_->Busy() ? L"Probíhá jiná úloha, tlačítko nic nespustilo. Zkuste to po jejím "
                               L"skončení."
                             : L"Program právě kontroluje soubor požadavků, tlačítko nic "
                               L"nespustilo. Zkuste to znovu.");
}

void TForm1::ShowNote(const std::wstring& text) {
    statusBar_.ShowNote(text, kNoteTimer);
}

void TForm1::RetryHandOversLater() {
    if (engine_ != nullptr && engine_->HandOvers().HasPending() && !destroyed_) {
        SetTimer(form_, kRetryTimer, kRetryMs, nullptr);
    }
}

void TForm1::ShowError(std::string_view text) {
    Ask(OwnerForMessages(), {text, {}, MessageIcon::Error, MessageButtons::Ok});
}

MessageAnswer TForm1::Ask(HWND owner, const MessageBox& box) {
    // A modal box runs its own loop: a confirmed close waits until it is over.
    ++eventDepth_;
    const MessageAnswer answer = options_.dialogs.message(owner, box);
    --eventDepth_;
    return answer;
}

HWND TForm1::OwnerForMessages() const {
    return IsWindowVisible(form_) ? form_ : nullptr;
}

void TForm1::RunHandOvers() {
    if (!destroyed_) {
        Guarded([this] { engine_->RunHandOvers(); });
    }
}

void TForm1::RequestQuit() {
    if (!destroyed_ && !engine_->Flags().Stopping) {
        QuitWhenIdle();
    }
}

void TForm1::QuitWhenIdle() {
    quitRequested_ = true;
    SetTimer(form_, kQuitTimer, kRetryMs, nullptr);
}

std::wstring TForm1::TextOf(HWND control) const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool TForm1::PreTranslate(const MSG& message) {
    // Enter presses "Odeslat příkaz" once the command line has changed,
    // wherever the focus is but in a multi-line text or an open list.
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN || !defaultSet_ ||
        !IsInside(message.hwnd, form_) || message.hwnd == ui_.Memo2) {
        return false;
    }
    for (HWND list : {ui_.K_Baud1, ui_.Rep_write, ui_.Delay_add, ui_.Port[0], ui_.Port[1],
                      ui_.Port[2], ui_.Port[3]}) {
        if (IsInside(message.hwnd, list) && SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0)) {
            return false;
        }
    }
    if (IsWindowEnabled(ui_.BitBtn4)) {
        Button1Click();
    }
    return true;
}

LRESULT TForm1::OnMessage(UINT message, WPARAM w, LPARAM l) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        tray_->AddAgain();
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
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
        SetBkColor(dc, kWindowColour);
        if (reinterpret_cast<HWND>(l) == ui_.Label26) {
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
            Show_windowClick();
        }
        return 0;
    case kHandOverMessage:
        RunHandOvers();
        return 0;
    case kStopMessage:
        RequestQuit();
        return 0;
    case WM_CLOSE:
        if (OnCloseRequest()) {
            ::ShowWindow(form_, SW_HIDE);
        }
        return 0;
    case WM_QUERYENDSESSION:
        // The session ends: no question that would hold it up, and a job
        // ends after its current command.
        engine_->RequestStop();
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
        SetTimer(form_, kHelpTimer, kHelpMs, nullptr);
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
        if (cursor_ != CursorShape::Default) {
            ::SetCursor(LoadCursorW(nullptr, cursor_ == CursorShape::HourGlass ? IDC_WAIT
                                                                               : IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_SHOWWINDOW:
        if (w == FALSE) {
            backFromHidden_ = true;
        }
        break;
    case WM_SIZE:
        if (w == SIZE_MINIMIZED) {
            backFromHidden_ = true;
        }
        break;
    case WM_ACTIVATE:
        hints_.HideHelp();
        if (LOWORD(w) != WA_INACTIVE && backFromHidden_) {
            backFromHidden_ = false;
            FormActivate();
        }
        break;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(w);
        fonts_.Create(dpi_);
        const auto* suggested = reinterpret_cast<const RECT*>(l);
        SetWindowPos(form_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutWindow();
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(form_, message, w, l);
}

bool TForm1::OnCloseRequest() {
    bool accept = false;
    Guarded([&] { accept = FormClose(); });
    return accept;
}

void TForm1::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimer1:
        Timer1Timer();
        break;
    case kTimer2:
        Timer2Timer();
        break;
    case kRetryTimer:
        KillTimer(form_, kRetryTimer);
        RunHandOvers();
        break;
    case kQuitTimer:
        if (!engine_->Busy() && eventDepth_ == 0) {
            KillTimer(form_, kQuitTimer);
            options_.quit();
        }
        break;
    case kBalloonTimer:
        tray_->OnTimer();
        break;
    case kHelpTimer:
        KillTimer(form_, kHelpTimer);
        hints_.HideHelp();
        break;
    case kNoteTimer:
        KillTimer(form_, kNoteTimer);
        statusBar_.HideNote();
        break;
    default:
        break;
    }
}

void TForm1::OnCommand(int id, int code, HWND) {
    if (id >= kSpeedButton1 && id < kSpeedButton1 + 4 && code == BN_CLICKED) {
        SpeedButtonClick(id - kSpeedButton1);
        return;
    }
    if (id >= kIndicator1 && id < kIndicator1 + 4 && code == BN_CLICKED) {
        TerminalIndicatorClick(id - kIndicator1);
        return;
    }
    if (id == kEdit1 && code == EN_CHANGE) {
        Edit1Change();
        return;
    }
    if (id == kDelay_add && code == CBN_SELCHANGE) {
        Delay_addChange();
        return;
    }
    if (code != BN_CLICKED) { // menu entries come with 0, which is BN_CLICKED
        return;
    }
    switch (id) {
    case kBitBtn4:
        Button1Click();
        break;
    case kBitBtn1:
        Button33Click();
        break;
    case kBitBtn2:
    case kMenuHide:
        Hide_windowClick();
        break;
    case kBitBtn3:
        BitBtn3Click();
        break;
    case kBitBtn5:
    case kBitBtn8:
        BitBtn1Click();
        break;
    case kBitBtn6:
        Button4Click();
        break;
    case kBitBtn7:
        Button2Click();
        break;
    case kJvXPButton5:
        BitBtn2Click();
        break;
    case kJvXPButton6:
        BitBtn5Click();
        break;
    case kMenuShow:
        Show_windowClick();
        break;
    case kMenuQuit:
        KonecClick();
        break;
    default:
        break;
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
    const std::wstring text = TextOf(item.hwndItem);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : kQuickButtonText);
    HGDIOBJ old = SelectObject(item.hDC, fonts_.bold);
    if (pressed) {
        OffsetRect(&r, 1, 1);
    }
    DrawTextW(item.hDC, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, old);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -Scale(3, dpi_), -Scale(3, dpi_));
        DrawFocusRect(item.hDC, &focus);
    }
}

} // namespace kelmora::win32
